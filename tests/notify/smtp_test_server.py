"""Loopback SMTP server for the e-mail tests.

Every accepted message is stored in the folder given by --store as <n>.eml,
byte for byte as the server received it (after its own removal of the
data-phase dot-stuffing), with the envelope beside it in <n>.json. With
--cert and --key the server offers STARTTLS and requires it; with --user and
--password it requires a login (over TLS when TLS is offered). --refuse
names a recipient address the server rejects; --port asks for a port (a
server started again on its old port). Once listening it prints
"READY <port>" on a line of its own and then serves until it is killed or its
standard input closes, so a test that dies does not leave it behind.
"""

import argparse
import json
import os
import socket
import ssl
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult


class Store:
    def __init__(self, folder, refused):
        self.folder = folder
        self.refused = refused
        # A server started again on the same store carries on numbering.
        self.count = len([n for n in os.listdir(folder) if n.endswith(".eml")])

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address == self.refused:
            return "550 5.1.1 No such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, str(self.count))
        with open(base + ".json", "w") as f:
            json.dump({"from": envelope.mail_from, "to": envelope.rcpt_tos}, f)
        # Renamed into place last, so a visible .eml is complete.
        with open(base + ".tmp", "wb") as f:
            f.write(envelope.original_content)
        os.rename(base + ".tmp", base + ".eml")
        return "250 Message accepted for delivery"


def login_checker(user, password):
    def check(server, session, envelope, mechanism, auth_data):
        if auth_data.login == user.encode() and auth_data.password == password.encode():
            return AuthResult(success=True)
        # handled=False lets the server send its own 535 reply; anything else
        # leaves the client waiting for an answer that never comes.
        return AuthResult(success=False, handled=False)

    return check


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--store", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--user")
    parser.add_argument("--password")
    parser.add_argument("--refuse")
    parser.add_argument("--port", type=int, default=0, help="0 picks a free port")
    args = parser.parse_args()

    options = {}
    if args.cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)
        options.update(tls_context=context, require_starttls=True)
    if args.user is not None:
        options.update(
            authenticator=login_checker(args.user, args.password or ""),
            auth_required=True,
            auth_require_tls=bool(args.cert),
        )

    port = args.port or free_port()
    controller = Controller(
        Store(args.store, args.refuse),
        hostname="127.0.0.1",
        port=port,
        server_hostname="vantor-test",
        **options,
    )
    controller.start()
    print("READY", port, flush=True)
    sys.stdin.buffer.read()
    controller.stop()


if __name__ == "__main__":
    main()
