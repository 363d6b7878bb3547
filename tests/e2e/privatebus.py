"""Private D-Bus daemons for the end-to-end tests. The host's system bus is
always one of these: a test must never reach the machine's logind (CI runs
as root, and a real logind would honour a test's reboot)."""

import os
import signal
import subprocess
import time

from zeltest import private_bus_env

CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%s</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


class PrivateBus:
    """A dbus-daemon of our own, without any activatable services: only what
    a test starts on it answers."""

    def __init__(self, folder):
        os.makedirs(folder, exist_ok=True)
        config = os.path.join(folder, "bus.conf")
        with open(config, "w") as f:
            f.write(CONFIG % folder)
        out = subprocess.run(
            ["dbus-daemon", "--config-file=" + config, "--fork", "--nopidfile",
             "--print-address=1", "--print-pid=1"],
            capture_output=True, text=True, check=True, timeout=20,
            env=private_bus_env(os.path.join(folder, "bus"))).stdout.split()
        self.folder = folder
        self.address, self.pid = out[0], int(out[1])
        if not self.address.startswith("unix:path=" + folder):
            self.close()
            raise AssertionError("the private bus is not where it was asked to be")

    def env(self):
        return dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=self.address,
                    DBUS_SESSION_BUS_ADDRESS=self.address)

    def wait_for_name(self, name, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            r = subprocess.run(
                ["gdbus", "call", "--address", self.address, "--dest", "org.freedesktop.DBus",
                 "--object-path", "/org/freedesktop/DBus",
                 "--method", "org.freedesktop.DBus.NameHasOwner", name],
                capture_output=True, text=True)
            if "true" in r.stdout:
                return
            time.sleep(0.1)
        raise AssertionError("nobody owns %s on the private bus" % name)

    def call(self, dest, path, method, *args):
        r = subprocess.run(["gdbus", "call", "--address", self.address, "--dest", dest,
                            "--object-path", path, "--method", method, *args],
                           capture_output=True, text=True, timeout=20)
        if r.returncode != 0:
            raise AssertionError("%s failed: %s" % (method, r.stderr))
        return r.stdout

    def close(self):
        try:
            os.kill(self.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass


def start_logind_mock(bus, log):
    """python-dbusmock's logind on the private bus, logging every call."""
    process = subprocess.Popen(
        ["/usr/bin/python3", "-m", "dbusmock", "--template", "logind", "-l", log],
        env=bus.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    bus.wait_for_name("org.freedesktop.login1")
    return process


def assert_private_system_bus(env, bus):
    """The host is started only with the system bus pointing into the folder
    of ours (its socket, or a missing one there for "no bus at all")."""
    address = env.get("DBUS_SYSTEM_BUS_ADDRESS", "")
    if bus is None or not address.startswith("unix:path=" + bus.folder + "/"):
        raise AssertionError("refusing to start the host without a private system bus")
