#pragma once

namespace tallyport {

// `tallyport mail test [--data-dir DIR]`: one message sent now with the stored e-mail settings
// (and the service's credential "smtp-password" when it has one); prints what the server
// answered. Reads the folder only, so it runs beside a recording console.
int runMailCommand(int argc, char** argv);

}  // namespace tallyport
