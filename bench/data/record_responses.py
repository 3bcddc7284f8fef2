#!/usr/bin/env python3
"""Records what one simulated receiver sends to the engine in measuring and
RDS mode, for response_path_bench. The commands and their timing follow the
engine's send tick: every second ?Q ?U ?A ?N, then ?X ?E and ?R ?L in turn,
then ?F ?H on one second in ten and ?I 1?W on the others, and ?F once in
eleven; RDS groups stream all the time.

    record_responses.py ANALYZER_SIM SECONDS > responses.bin
"""
import socket
import subprocess
import sys
import time

sim, seconds = sys.argv[1], int(sys.argv[2])
proc = subprocess.Popen([sim, "--listen", "127.0.0.1:0"], stdout=subprocess.PIPE)
port = int(proc.stdout.readline().decode().rsplit(":", 1)[1])
link = socket.create_connection(("127.0.0.1", port))
link.settimeout(0.05)
link.sendall(b"098500*F\r*M\r*P\r*R\r")
received = bytearray()
start = time.monotonic()
for tick in range(seconds):
    commands = ["?Q", "?U", "?A", "?N"]
    commands += ["?X", "?E"] if tick % 2 else ["?R", "?L"]
    commands += ["?F", "?H"] if tick % 10 == 0 else ["?I", "1?W"]
    if tick % 11 == 10:
        commands.append("?F")
    link.sendall("".join(c + "\r" for c in commands).encode())
    while time.monotonic() < start + tick + 1:
        try:
            received += link.recv(65536)
        except socket.timeout:
            pass
link.close()
proc.terminate()
# Only whole lines: the last may have been cut by the end of the recording.
sys.stdout.buffer.write(received[: received.rfind(b"\n") + 1])
