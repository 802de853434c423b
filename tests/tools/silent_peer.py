#!/usr/bin/python3
"""silent_peer.py PATH [full]: a peer that has hung, for the integration tests: a
Unix socket at PATH that takes every connection and never answers; with "full",
one that takes none and whose queue is full, so that connecting waits. Prints
"ready" once it behaves so.
"""
import signal
import socket
import sys

if len(sys.argv) not in (2, 3) or sys.argv[2:] not in ([], ["full"]):
    sys.exit("usage: silent_peer.py PATH [full]")
server = socket.socket(socket.AF_UNIX)
server.bind(sys.argv[1])
held = []
if sys.argv[2:] == ["full"]:
    server.listen(0)
    held.append(socket.socket(socket.AF_UNIX))
    held[0].connect(sys.argv[1])  # the queue's one place
    print("ready", flush=True)
    while True:
        signal.pause()
server.listen(16)
print("ready", flush=True)
while True:
    held.append(server.accept()[0])
