"""A program on the local-socket links: serves ("nurapad", "command") like
the companion editor, and executes macros on other programs' topics.

usage: link_peer.py LINK_FOLDER OUT_FILE [--wait=FILE] NAME=MACRO...

Each NAME is the socket file of a (service, topic) pair in LINK_FOLDER; its
MACRO is executed there in order once that socket accepts. Every macro that
arrives on the editor's topic is written to OUT_FILE as a line. With
--wait the macros go out only once FILE exists (the program is ready). The peer
ends two seconds after its last macro was answered, or after 20 seconds."""
import os
import socket
import struct
import sys
import threading
import time


def frame(text):
    data = text.encode("cp932")
    return struct.pack("<I", len(data)) + data


def execute(path, macro, deadline):
    while time.time() < deadline:
        s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        try:
            s.connect(path)
        except OSError:
            s.close()
            time.sleep(0.05)
            continue
        s.sendall(frame(macro))
        answer = s.recv(1)
        s.close()
        return answer == b"\x01"
    return False


def serve_once(server, out):
    try:
        conn, _ = server.accept()
    except BlockingIOError:
        return
    conn.setblocking(True)
    conn.settimeout(5)
    with conn:
        head = conn.recv(4, socket.MSG_WAITALL)
        if len(head) < 4:
            return
        (size,) = struct.unpack("<I", head)
        data = conn.recv(size, socket.MSG_WAITALL) if size else b""
        conn.sendall(b"\x01")
    out.write(data.decode("cp932") + "\n")
    out.flush()


def main():
    folder, out_name, requests = sys.argv[1], sys.argv[2], sys.argv[3:]
    os.makedirs(folder, mode=0o700, exist_ok=True)
    editor = os.path.join(folder, "nurapad@command")
    if os.path.exists(editor):
        os.unlink(editor)
    server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    server.bind(editor)
    server.listen(8)
    server.setblocking(False)
    deadline = time.time() + 20
    if requests and requests[0].startswith("--wait="):
        ready = requests.pop(0)[len("--wait="):]
        while not os.path.exists(ready) and time.time() < deadline:
            time.sleep(0.02)
    with open(out_name, "w", encoding="utf-8") as out:
        for request in requests:
            name, macro = request.split("=", 1)
            # The macro goes out from a worker thread; meanwhile this loop
            # serves what the program sends to the editor.
            done = threading.Event()
            worker = threading.Thread(
                target=lambda: (execute(os.path.join(folder, name), macro, deadline), done.set()))
            worker.start()
            while not done.is_set() and time.time() < deadline:
                serve_once(server, out)
                time.sleep(0.01)
            worker.join()
        end = min(deadline, time.time() + 2)
        while time.time() < end:
            serve_once(server, out)
            time.sleep(0.01)
    server.close()
    os.unlink(editor)


if __name__ == "__main__":
    main()
