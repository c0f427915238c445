#!/usr/bin/python3
"""The simulated oscilloscopes read by clients nobody here wrote.

sigrok-cli acquires a frame through its rigol-ds driver from
`lineatix-sim rigol --tcp 0` and through its gwinstek-gds-800 driver from
`lineatix-sim gds --tcp 0`; pyvisa's pure-Python backend reads *IDN? and a
:WAVeform:DATA? block from `lineatix-sim rigol` and `lineatix-sim keysight`.
Their values must follow the simulated scan: sigrok scales levels its own way,
so the shapes and levels are compared with a tolerance (the two levels and
the 60 edges of an EAN-13 code's 30 bars), not digit for digit.

Usage: simclients.py LINEATIX_SIM. The set-up installs both clients: one that
is missing fails the test rather than hiding it as skipped.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

EDGES = 60  # 30 bars, each crossed up and down
SIM = None


def transitions(values, low, high):
    """Crossings of a band, with hysteresis so that noise is not counted."""
    count, state = 0, None
    for value in values:
        now = 1 if value > high else 0 if value < low else state
        if state is not None and now != state:
            count += 1
        state = now
    return count


def share_near(values, level, tolerance):
    return sum(1 for v in values if abs(v - level) < tolerance) / max(1, len(values))


class Simulator:
    """lineatix-sim INSTRUMENT --tcp 0, its port read from its first line."""

    def __init__(self, instrument, *arguments):
        # Under the lab's French locale, numbers must still go out with a point.
        environment = dict(os.environ, LC_ALL="fr_FR.UTF-8", LANG="fr_FR.UTF-8")
        self.process = subprocess.Popen([SIM, instrument, "--tcp", "0", *arguments],
                                        stdout=subprocess.PIPE, text=True, env=environment)
        first = self.process.stdout.readline().strip()
        host, _, port = first.partition(":")
        if host != "127.0.0.1" or not port.isdigit():
            self.close()
            raise AssertionError("first line %r is no address" % first)
        self.port = int(port)

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def sigrok_frame(driver, port):
    """The rows of a one-frame CSV acquisition, as lists of floats a channel."""
    with tempfile.TemporaryDirectory() as folder:
        output = os.path.join(folder, "frame.csv")
        run = subprocess.run(
            ["sigrok-cli", "-d", "%s:conn=tcp-raw/127.0.0.1/%d" % (driver, port),
             "--frames", "1", "-O", "csv", "-o", output],
            capture_output=True, text=True, timeout=60)
        if run.returncode != 0:
            raise AssertionError("sigrok-cli failed: %s" % run.stderr)
        with open(output) as text:
            lines = text.read().splitlines()
    # Its CSV mixes "CH1: 0.4 V" lines with the table; the table's rows are
    # the lines of numbers only.
    rows = []
    for line in lines:
        fields = line.split(",")
        try:
            rows.append([float(field) for field in fields])
        except ValueError:
            continue
    columns = max((len(row) for row in rows), default=0)
    return [[row[c] for row in rows if len(row) == columns] for c in range(columns)]


class SigrokReadsTheSimulators(unittest.TestCase):
    def test_rigol_ds(self):
        with Simulator("rigol") as sim:
            ch1, ch2 = sigrok_frame("rigol-ds", sim.port)
        # The screen's 1200 points of each displayed channel.
        self.assertEqual(len(ch1), 1200)
        self.assertEqual(len(ch2), 1200)
        for trace in (ch1, ch2):
            self.assertEqual(transitions(trace, 1.5, 2.9), EDGES)
            self.assertGreater(share_near(trace, 0.4, 0.25), 0.2)
            self.assertGreater(share_near(trace, 4.0, 0.25), 0.2)
        # Without --code2, channel 2 shows channel 1 inverted.
        middle = len(ch1) // 2
        self.assertLess(abs(ch1[middle] + ch2[middle] - 4.4), 0.4)

    def test_rigol_ds_channel_off(self):
        with Simulator("rigol", "--channel-off", "2") as sim:
            columns = sigrok_frame("rigol-ds", sim.port)
        self.assertEqual(len(columns), 1)
        self.assertEqual(transitions(columns[0], 1.5, 2.9), EDGES)

    def test_gwinstek_gds_800(self):
        with Simulator("gds", "--code2", "4006381333931") as sim:
            ch1, ch2 = sigrok_frame("gwinstek-gds-800", sim.port)
        self.assertEqual(len(ch1), 4001)
        for trace in (ch1, ch2):
            # sigrok takes 10 divisions of 256 levels: 0.039 V a level here,
            # where the program takes 0.04 V.
            self.assertEqual(transitions(trace, 1.5, 2.9), EDGES)
            self.assertGreater(share_near(trace, 0.4, 0.25), 0.2)
            self.assertGreater(share_near(trace, 3.9, 0.25), 0.2)
        # Two codes: the traces differ.
        self.assertGreater(sum(1 for a, b in zip(ch1, ch2) if abs(a - b) > 1.5), 100)


class PyvisaReadsTheSimulators(unittest.TestCase):
    def read(self, instrument, setup, convert):
        import pyvisa
        with Simulator(instrument) as sim:
            manager = pyvisa.ResourceManager("@py")
            scope = manager.open_resource("TCPIP::127.0.0.1::%d::SOCKET" % sim.port)
            scope.read_termination = "\n"
            scope.write_termination = "\n"
            scope.timeout = 5000
            try:
                identity = scope.query("*IDN?")
                for command in setup:
                    scope.write(command)
                preamble = [float(field) for field in scope.query(":WAVeform:PREamble?").split(",")]
                data = scope.query_binary_values(":WAVeform:DATA?", datatype="B", container=bytes)
                error = scope.query(":SYSTem:ERRor?")
            finally:
                scope.close()
                manager.close()
        self.assertEqual(len(preamble), 10)
        self.assertEqual(len(data), int(preamble[2]))
        self.assertEqual(error, '0,"No error"')
        volts = [convert(b, preamble) for b in data]
        self.assertEqual(transitions(volts, 1.5, 2.9), EDGES)
        self.assertGreater(share_near(volts, 0.4, 0.2), 0.2)
        self.assertGreater(share_near(volts, 4.0, 0.2), 0.2)
        return identity

    def test_rigol(self):
        identity = self.read(
            "rigol", [":STOP", ":WAV:SOUR CHAN1", ":WAV:MODE RAW", ":WAV:FORM BYTE",
                      ":WAV:STAR 1", ":WAV:STOP 12000"],
            lambda b, p: (b - p[8] - p[9]) * p[7])
        self.assertTrue(identity.startswith("RIGOL TECHNOLOGIES,DS1104Z,"))

    def test_keysight(self):
        identity = self.read(
            "keysight", [":STOP", ":WAV:SOUR CHAN1", ":WAV:FORM BYTE", ":WAV:UNS ON",
                         ":WAV:POIN:MODE RAW", ":WAV:POIN 5000"],
            lambda b, p: (b - p[9]) * p[7] + p[8])
        self.assertTrue(identity.startswith("KEYSIGHT TECHNOLOGIES,DSO-X 1204G,"))


def main():
    global SIM
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 1
    SIM = sys.argv[1]
    try:
        import pyvisa  # noqa: F401
        import pyvisa_py  # noqa: F401
    except ImportError:
        print("pyvisa and pyvisa-py are needed (python3-pyvisa, python3-pyvisa-py)")
        return 1
    if shutil.which("sigrok-cli") is None:
        print("sigrok-cli is needed")
        return 1
    suite = unittest.defaultTestLoader.loadTestsFromModule(sys.modules[__name__])
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
