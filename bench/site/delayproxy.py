#!/usr/bin/env python3
"""A TCP proxy on loopback that adds latency to every HTTP response.

This machine's kernel has no netem, so the latency of a distant server is
made here, the same for every crawler.  Each client connection gets its own
upstream connection.  Bytes from the client go upstream at once; the first
bytes the upstream sends after a request (the start of a response) are held
for --delay-ms, the rest of that response flows unhindered.  So over a
keep-alive connection every response costs one delay, as a round trip to a
distant server would, and transfer speed is not throttled.

A new connection costs one round trip more on the internet (the TCP
handshake).  The handshake here completes at once in the kernel, so the
proxy adds --connect-ms to the first response of each connection instead:
a crawler that opens a connection per request pays for it as it would
out there.

Only 127.0.0.1 is listened on and connected to.  Prints "ready PORT" on
stdout once it listens, and stops on SIGTERM/SIGINT.
"""

import argparse
import asyncio
import signal
import sys

CHUNK = 256 * 1024


async def pump_up(reader, writer, state):
    """Client to upstream: every chunk may start a new request."""
    try:
        while True:
            data = await reader.read(CHUNK)
            if not data:
                break
            state["awaiting"] = True
            writer.write(data)
            await writer.drain()
    except (ConnectionError, OSError):
        pass
    finally:
        try:
            writer.write_eof()
        except (OSError, RuntimeError):
            writer.close()


async def pump_down(reader, writer, state, delay, connect_delay):
    """Upstream to client: hold the first bytes of each response."""
    try:
        while True:
            data = await reader.read(CHUNK)
            if not data:
                break
            if state["awaiting"]:
                state["awaiting"] = False
                wait = delay + (connect_delay if state["first"] else 0.0)
                state["first"] = False
                if wait > 0:
                    await asyncio.sleep(wait)
            writer.write(data)
            await writer.drain()
    except (ConnectionError, OSError):
        pass
    finally:
        writer.close()


def make_handler(upstream_port, delay, connect_delay):
    async def handle(c_reader, c_writer):
        try:
            u_reader, u_writer = await asyncio.open_connection("127.0.0.1", upstream_port)
        except OSError:
            c_writer.close()
            return
        state = {"awaiting": False, "first": True}
        await asyncio.gather(
            pump_up(c_reader, u_writer, state),
            pump_down(u_reader, c_writer, state, delay, connect_delay))
    return handle


async def main():
    ap = argparse.ArgumentParser(description="Delaying TCP proxy on loopback.")
    ap.add_argument("--listen", type=int, required=True, help="port on 127.0.0.1 (0: any free port)")
    ap.add_argument("--upstream", type=int, required=True, help="port of the server on 127.0.0.1")
    ap.add_argument("--delay-ms", type=float, default=20.0, help="added before every response")
    ap.add_argument("--connect-ms", type=float, default=None,
                    help="added once per connection (default: the same as --delay-ms)")
    args = ap.parse_args()
    connect_ms = args.delay_ms if args.connect_ms is None else args.connect_ms

    server = await asyncio.start_server(
        make_handler(args.upstream, args.delay_ms / 1000.0, connect_ms / 1000.0),
        "127.0.0.1", args.listen, backlog=1024)
    port = server.sockets[0].getsockname()[1]
    print("ready %d" % port, flush=True)
    stop = asyncio.get_running_loop().create_future()
    for sig in (signal.SIGTERM, signal.SIGINT):
        asyncio.get_running_loop().add_signal_handler(sig, stop.set_result, None)
    async with server:
        await stop


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        sys.exit(0)
