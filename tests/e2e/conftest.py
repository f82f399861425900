"""Fixtures of the end-to-end tests: a Wine session per pytest session, the
platform stand-in on its fixed port, and a screenshot of the display for every
failed test."""
import os
import sys

import pytest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "tools", "platform"))

from standin import PlatformServer  # noqa: E402
from wine import WineSession  # noqa: E402



def pytest_addoption(parser):
    parser.addoption("--exe", required=True, help="VexoQuon.exe")
    parser.addoption("--probe", required=True, help="probe.exe")
    parser.addoption("--demo", default=None, help="framework_demo.exe")
    parser.addoption("--wine-state", required=True, help="state directory of the test run's Wine session")
    parser.addoption("--artifacts", default=None, help="where screenshots and logs go")
    parser.addoption("--standin-port", type=int, default=47180,
                     help="the stand-in's port, the one the build's hosts point at")
    parser.addoption("--arch", default="i686", choices=["i686", "x86_64"],
                     help="the architecture the build tree was configured for")


@pytest.fixture(scope="session")
def arch(request):
    return request.config.getoption("--arch")


@pytest.fixture(scope="session")
def wine(request):
    opt = request.config.getoption
    session = WineSession(opt("--wine-state"), opt("--exe"), opt("--probe"), opt("--demo"),
                          opt("--artifacts"))
    request.config._vexo_wine = session
    yield session
    request.config._vexo_wine = None
    session.close()


class StandIn:
    """The stand-in server, which a test may stop to play a dead platform."""

    def __init__(self, port, log_path):
        self.port_number = port
        self.log_path = log_path
        self.server = None
        self.start()

    def start(self):
        if not self.server:
            self.server = PlatformServer(port=self.port_number, log_path=self.log_path).start()

    def stop(self):
        if self.server:
            self.server.stop()
            self.server = None

    def __getattr__(self, name):
        return getattr(self.server, name)


@pytest.fixture(scope="session")
def _standin(request):
    artifacts = request.config.getoption("--artifacts") or "/tmp"
    os.makedirs(artifacts, exist_ok=True)
    holder = StandIn(request.config.getoption("--standin-port"),
                     os.path.join(artifacts, "standin-requests.jsonl"))
    yield holder
    holder.stop()


@pytest.fixture
def no_leftovers(wine):
    """A failed test must not leave a launcher running into the next one."""
    yield
    for p in wine.processes:
        if p.poll() is None:
            p.kill()
            p.wait(timeout=10)


@pytest.fixture
def platform(_standin):
    _standin.start()
    _standin.reset(published=True)
    yield _standin
    _standin.start()


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    session = getattr(item.config, "_vexo_wine", None)
    if report.failed and session is not None and call.when in ("call", "setup"):
        path = session.screenshot(f"failed-{item.name}.png")
        report.sections.append(("screenshot", path))
        try:
            with open(session.wine_log, encoding="utf-8", errors="replace") as f:
                said = [line for line in f.read().splitlines() if "fixme:" not in line][-20:]
        except OSError:
            said = []
        if said:
            report.sections.append(("what Wine said", "\n".join(said)))
