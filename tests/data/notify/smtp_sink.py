#!/usr/bin/env python3
"""An SMTP server for the mail tests.

Every accepted message is written to FOLDER as NNNNNN.json (written to a temporary name and
renamed, so a reader never sees half a file): the envelope, the decoded subject, the text of
the body and each attachment, read back with Python's own mail parser. A recipient whose
address starts with "refused" is refused with 550. With --user and --password the server
requires AUTH (without TLS) and refuses mail from a client that did not sign in; with --delay
it waits that many seconds before it accepts a message. With --tls CERT KEY it offers
STARTTLS; every AUTH attempt is noted in FOLDER/auth.log as "tls" or "plain", so a test sees
a password that went over a connection in clear even when the server refused it.

Prints "ready PORT" on standard output once it listens on 127.0.0.1.
Usage: smtp_sink.py FOLDER [--port N] [--user U --password P] [--delay S] [--tls CERT KEY]
"""
import argparse
import asyncio
import base64
import email
import email.policy
import itertools
import json
import os
import ssl

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

COUNTER = itertools.count(1)


def summary(envelope, session):
    msg = email.message_from_bytes(envelope.original_content or envelope.content,
                                   policy=email.policy.default)
    body, attachments = None, []
    for part in msg.walk():
        if part.is_multipart():
            continue
        if part.get_filename():
            data = part.get_payload(decode=True)
            attachments.append({"filename": part.get_filename(),
                                "type": part.get_content_type(),
                                "data": base64.b64encode(data).decode()})
        elif body is None and part.get_content_type() == "text/plain":
            body = part.get_content().replace("\r\n", "\n")
    raw = envelope.original_content or envelope.content
    head = raw.split(b"\r\n\r\n", 1)[0].decode("ascii", "replace")
    return {"raw_head": head, "tls": session.ssl is not None,
            "mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos,
            "subject": str(msg["Subject"]), "from": str(msg["From"]), "to": str(msg["To"]),
            "has_date": msg["Date"] is not None, "body": body, "attachments": attachments,
            "authenticated": bool(session.authenticated)}


class Sink:
    def __init__(self, folder, delay):
        self.folder = folder
        self.delay = delay

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower().startswith("refused"):
            return "550 5.1.1 Recipient refused"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        await asyncio.sleep(self.delay)
        name = os.path.join(self.folder, "%06d.json" % next(COUNTER))
        with open(name + ".tmp", "w", encoding="utf-8") as f:
            json.dump(summary(envelope, session), f)
        os.rename(name + ".tmp", name)
        return "250 Message accepted"


def authenticator(folder, user, password):
    def check(server, session, envelope, mechanism, auth_data):
        with open(os.path.join(folder, "auth.log"), "a", encoding="utf-8") as log:
            log.write("tls\n" if session.ssl is not None else "plain\n")
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login == user.encode()
              and auth_data.password == password.encode())
        return AuthResult(success=ok, handled=False)
    return check


async def serve(args):
    options = {}
    if args.user:
        options = dict(authenticator=authenticator(args.folder, args.user, args.password),
                       auth_required=True, auth_require_tls=False)
    if args.tls:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.tls[0], args.tls[1])
        options["tls_context"] = context
    loop = asyncio.get_running_loop()
    server = await loop.create_server(
        lambda: SMTP(Sink(args.folder, args.delay), hostname="sink.test", **options), "127.0.0.1", args.port)
    print("ready", server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--user")
    parser.add_argument("--password", default="")
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--delay", type=float, default=0, help="seconds before accepting")
    asyncio.run(serve(parser.parse_args()))


if __name__ == "__main__":
    main()
