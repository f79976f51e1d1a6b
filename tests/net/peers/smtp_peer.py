# An SMTP server for the tests (aiosmtpd) on 127.0.0.1:25. Each message is
# stored as N.eml (the bytes as received) and N.env (the envelope sender,
# then one recipient a line) in the folder given as the first argument.
import os
import signal
import sys

from aiosmtpd.controller import Controller


class Store:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, str(self.count))
        with open(base + ".eml", "wb") as f:
            f.write(envelope.original_content)
        with open(base + ".env", "w") as f:
            f.write("\n".join([envelope.mail_from] + envelope.rcpt_tos) + "\n")
        return "250 OK"


controller = Controller(Store(sys.argv[1]), hostname="127.0.0.1", port=25)
controller.start()
signal.sigwait({signal.SIGTERM, signal.SIGINT})
controller.stop()
