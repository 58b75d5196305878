#!/usr/bin/env python3
"""A LocoNet-over-TCP server written apart from the program, in front of a
serial port (cv2sim's pseudo-terminal): each SEND line goes onto the port as
bytes, and every message read from the port goes to the client as a RECEIVE
line, the echo of the client's own message included. SENT OK comes before or
after the echo, by turns, as servers differ in this; on connecting it also
sends a line of a newer protocol version and a malformed one. Prints the port text
tcp://127.0.0.1:PORT on its first line and serves until it is ended.

usage: loconet_tcp_bridge.py SERIAL_PORT
"""
import os
import select
import socket
import sys
import termios
import tty


def message_length(opcode, data):
    kind = opcode & 0xE0
    if kind == 0x80:
        return 2
    if kind == 0xA0:
        return 4
    if kind == 0xC0:
        return 6
    return data[1] if len(data) > 1 else None


class Cutter:
    """Whole LocoNet messages out of a byte stream."""

    def __init__(self):
        self.message = bytearray()

    def feed(self, data):
        for b in data:
            if b & 0x80:
                self.message = bytearray([b])
                continue
            if not self.message:
                continue
            self.message.append(b)
            length = message_length(self.message[0], self.message)
            if length is not None and len(self.message) == length:
                yield bytes(self.message)
                self.message = bytearray()


def main():
    line = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
    tty.setraw(line)
    attrs = termios.tcgetattr(line)
    attrs[4] = attrs[5] = termios.B115200
    termios.tcsetattr(line, termios.TCSANOW, attrs)
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(1)
    print("tcp://127.0.0.1:%d" % server.getsockname()[1], flush=True)
    while True:
        client, _ = server.accept()
        client.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        # A newer server's line, and one that is no whole message: both are passed over.
        client.sendall(b"VERSION bridge 1\nTIMESTAMP 0\r\nRECEIVE B4 6D\r\n")
        serve(client, line)
        client.close()


def serve(client, line):
    text = b""
    cutter = Cutter()
    awaiting = []  # messages whose SENT OK follows their echo
    sends = 0
    while True:
        readable, _, _ = select.select([client, line], [], [])
        if client in readable:
            data = client.recv(4096)
            if not data:
                return
            text += data
            *lines, text = text.replace(b"\r", b"\n").split(b"\n")
            for raw in lines:
                words = raw.decode("ascii", "replace").split()
                if not words or words[0] != "SEND":
                    continue
                message = bytes(int(w, 16) for w in words[1:])
                os.write(line, message)
                sends += 1
                if sends % 2:
                    client.sendall(b"SENT OK\r\n")
                else:
                    awaiting.append(message)
        if line in readable:
            try:
                data = os.read(line, 4096)
            except BlockingIOError:
                continue
            out = b""
            for message in cutter.feed(data):
                out += b"RECEIVE " + " ".join("%02X" % b for b in message).encode() + b"\r\n"
                if awaiting and awaiting[0] == message:
                    awaiting.pop(0)
                    out += b"SENT OK\r\n"
            client.sendall(out)


if __name__ == "__main__":
    main()
