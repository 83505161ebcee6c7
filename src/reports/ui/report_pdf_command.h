#pragma once

namespace tallyport {

// `tallyport report …` with --pdf available: a windowless GUI application (offscreen unless
// another platform is asked for) is made only when --pdf is given, since drawing pages with
// fonts needs one; text output keeps the plain core application.
int RunReportCommandWithPdf(int argc, char** argv);

}  // namespace tallyport
