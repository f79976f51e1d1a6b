# A POP3 server for the tests on 127.0.0.1:110. It serves the files *.eml
# of the folder given as the first argument, in name order, to the user and
# password of the second and third arguments; DELE marks a mail, QUIT
# deletes the marked files. A mail whose file begins with "FAIL" cannot be
# retrieved. Every command is appended to the log file of the fourth
# argument.
import os
import socketserver
import sys

FOLDER, USER, PASSWORD, LOG = sys.argv[1:5]


class Session(socketserver.StreamRequestHandler):
    def reply(self, text):
        self.wfile.write(text.encode() + b"\r\n")

    def handle(self):
        names = sorted(n for n in os.listdir(FOLDER) if n.endswith(".eml"))
        deleted = set()
        user = None
        authorised = False
        self.reply("+OK ready")
        for raw in self.rfile:
            line = raw.decode("latin-1").rstrip("\r\n")
            with open(LOG, "a") as log:
                log.write(line + "\n")
            command, _, argument = line.partition(" ")
            command = command.upper()
            if command == "USER":
                user = argument
                self.reply("+OK")
            elif command == "PASS":
                authorised = user == USER and argument == PASSWORD
                self.reply("+OK" if authorised else "-ERR wrong password")
            elif command == "QUIT":
                for n in deleted:
                    os.remove(os.path.join(FOLDER, names[n - 1]))
                self.reply("+OK bye")
                return
            elif not authorised:
                self.reply("-ERR not logged in")
            elif command == "STAT":
                self.reply("+OK %d 0" % len(names))
            elif command in ("RETR", "DELE"):
                number = int(argument)
                if number < 1 or number > len(names):
                    self.reply("-ERR no such message")
                    continue
                if command == "DELE":
                    deleted.add(number)
                    self.reply("+OK")
                    continue
                with open(os.path.join(FOLDER, names[number - 1]), "rb") as f:
                    data = f.read()
                if data.startswith(b"FAIL"):
                    self.reply("-ERR broken message")
                    continue
                self.reply("+OK")
                for mail_line in data.split(b"\r\n")[:-1] if data.endswith(b"\r\n") else data.split(b"\r\n"):
                    if mail_line.startswith(b"."):
                        mail_line = b"." + mail_line
                    self.wfile.write(mail_line + b"\r\n")
                self.reply(".")
            else:
                self.reply("-ERR unknown command")


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True


with Server(("127.0.0.1", 110), Session) as server:
    server.serve_forever()
