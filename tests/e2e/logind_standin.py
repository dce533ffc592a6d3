#!/usr/bin/env python3
"""A stand-in for logind on a private bus: owns org.freedesktop.login1 and answers
org.freedesktop.login1.Manager.Suspend at /org/freedesktop/login1.

  logind_standin.py ADDRESS LOG [--snapshot FILE] [--refuse]

Each call adds a line to LOG: "Suspend interactive=<true|false> at_ms=<wall clock, ms>", and
with --snapshot the content FILE held at that moment (as "snapshot=<text>", "missing" when there
was none). With --refuse every call is answered with the error logind gives a user who may not
suspend. Runs until it is ended.
"""

import argparse
import time

from gi.repository import Gio, GLib

INTERFACE = """
<node>
  <interface name="org.freedesktop.login1.Manager">
    <method name="Suspend">
      <arg name="interactive" type="b" direction="in"/>
    </method>
  </interface>
</node>
"""


def main():
    p = argparse.ArgumentParser(description=__doc__,
                                formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("address")
    p.add_argument("log")
    p.add_argument("--snapshot")
    p.add_argument("--refuse", action="store_true")
    args = p.parse_args()

    def snapshot():
        try:
            with open(args.snapshot, encoding="utf-8", errors="replace", newline="") as f:
                return repr(f.read())
        except OSError:
            return "missing"

    def on_call(connection, sender, path, interface, method, parameters, invocation):
        line = f"{method} interactive={str(parameters.unpack()[0]).lower()} " \
               f"at_ms={int(time.time() * 1000)}"
        if args.snapshot:
            line += f" snapshot={snapshot()}"
        with open(args.log, "a", encoding="utf-8") as log:
            log.write(line + "\n")
        if args.refuse:
            invocation.return_dbus_error("org.freedesktop.DBus.Error.AccessDenied",
                                         "Suspending is not allowed for this test's user")
        else:
            invocation.return_value(None)

    flags = (Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT |
             Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
    bus = Gio.DBusConnection.new_for_address_sync(args.address, flags, None, None)
    info = Gio.DBusNodeInfo.new_for_xml(INTERFACE).interfaces[0]
    bus.register_object("/org/freedesktop/login1", info, on_call, None, None)
    loop = GLib.MainLoop()
    # Owned only once the object answers, so a test that waits for the name finds both.
    Gio.bus_own_name_on_connection(bus, "org.freedesktop.login1", Gio.BusNameOwnerFlags.NONE,
                                   None, lambda *_: loop.quit())
    loop.run()


if __name__ == "__main__":
    main()
