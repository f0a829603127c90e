#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Random runs of the sanitizer build of Ekzamo on a private X display.

Run after run, a small random test file (Cyrillic, '&', markup-like text, one
to six options, now and then a right number out of range, now and then an
empty test) is taken by random keys, typed names and times and clicks inside
the program's own windows, all drawn from one seeded source per run. A run
fails when the program reports a sanitizer error or a leak, dies by a signal,
ends with a non-zero status, stops answering, or leaves a results file that
disagrees with itself or with the test.

    tests/e2e/soak.py                  # two minutes of runs
    tests/e2e/soak.py --minutes 30
    tests/e2e/soak.py --seed 123456    # replays one run: its files and inputs

The seed fixes the test files and every input; the program's own shuffle and
the moments its timers fire still differ from run to run. Started outside a
session, the script starts one through tests/e2e/run.sh (Xvfb, openbox, a
private D-Bus session bus with the accessibility bus) and runs inside it.
"""
import argparse
import collections
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

RULE = "=" * 63
SCORE = re.compile(r"^Вы ответили правильно на (\d+) вопрос\(-а/-ов\) из (\d+)$")
SANITIZER = re.compile(r"ERROR: (Address|Leak)Sanitizer|runtime error:|UndefinedBehaviorSanitizer|"
                       r"SUMMARY: \w+Sanitizer")
FILE_DIALOG = "Открыть"
SETUP = "Ekzamo"
ABOUT = "О программе..."
TEST_HEAD = "Тесты по дисциплине: "

# ---- the random test ----

WORDS = ["Сколько", "будет", "столица", "России", "река", "Волга", "атом", "водорода", "ёж", "Эйяфьятлайокюдль",
         "вопрос", "ответ", "день", "недели", "2 + 2", "µ", "№5", "«кавычки»", "тире —", "AT&&T", "Ч&&Б", "&Да",
         "R&D", "&", "&&", "a&b", "<b>жирный</b>", "<i>", "</table>", "<script>alert(1)</script>", "&amp;",
         "&lt;p&gt;", "<br/>", "%s", "%d", "\\n", "$0", "'", '"', "; DROP", "x", "99.9%", "   ", "\t"]


def phrase(rng, tag):
    """A line of text; the tag keeps it unique within its test."""
    words = [rng.choice(WORDS) for _ in range(rng.randint(0, 6))]
    if rng.random() < 0.05:
        words.append("длинная строка " * rng.randint(20, 80))
    return (" ".join(words) + " " + tag).strip()


class Question:
    def __init__(self, text, options, right):
        self.text, self.options, self.right = text, options, right

    @property
    def stored_right(self):
        """The right number as the program stores it: its low 8 bits."""
        return self.right & 0xFF


def random_test(rng):
    if rng.random() < 0.08:
        return []
    questions = []
    for k in range(1, rng.randint(1, 6) + 1):
        n = rng.choices([1, 2, 3, 4, 5, 6], [2, 4, 5, 5, 4, 2])[0]
        options = [phrase(rng, f"({k}.{i})") for i in range(1, n + 1)]
        right = rng.randint(1, n)
        if rng.random() < 0.12:
            right = rng.choice([0, n + 1, n + 2, 7, 9, 255, 256 + right, -1])
        questions.append(Question(phrase(rng, f"№{k}"), options, right))
    return questions


def number_line(rng, value):
    """A number as a teacher may write it: decimal, hex, with a remark after it."""
    if value < 0 or rng.random() < 0.8:
        text = str(value)
    else:
        text = rng.choice(["$%X", "0x%x", "x%X"]) % value
    return text + rng.choice(["", "", "", " - число", "\t;"])


def test_bytes(rng, questions):
    end = "\r\n" if rng.random() < 0.7 else "\n"
    lines = []
    for q in questions:
        lines += [q.text, number_line(rng, len(q.options)), number_line(rng, q.right), *q.options]
    return "".join(line + end for line in lines).encode("cp1251")


# ---- the results file ----

class Mismatch(Exception):
    pass


def check_results(data, questions):
    """Checks a results file against itself and its test; returns a short account."""
    def need(condition, what):
        if not condition:
            raise Mismatch(what)

    need(data.endswith(b"\r\n"), "the file does not end with CR LF")
    lines = data[:-2].split(b"\r\n")
    need(not any(b"\r" in line or b"\n" in line for line in lines), "a line end other than CR LF")
    text = [line.decode("cp1251") for line in lines]
    score = SCORE.match(text[0])
    need(score, f"the first line is no score line: {text[0]!r}")
    right, total = int(score.group(1)), int(score.group(2))
    need(total == len(questions), f"the score counts {total} questions, the test has {len(questions)}")
    need(right <= total, "more right answers than questions")
    if len(text) == 1:
        return f"score {right} of {total}"
    by_text = {q.text: q for q in questions}
    seen = set()
    counted = 0
    at = 1
    while at < len(text):
        need(text[at:at + 2] == [RULE, "Вопрос:"], f"line {at + 1}: no block starts here")
        wording = text[at + 2]
        need(wording in by_text, f"line {at + 3}: {wording!r} is no question of the test")
        need(wording not in seen, f"line {at + 3}: the question {wording!r} comes twice")
        seen.add(wording)
        q = by_text[wording]
        listed = min(len(q.options), 5)
        need(text[at + 3] == "Варианты ответов:", f"line {at + 4}: no options heading")
        options = text[at + 4:at + 4 + listed]
        need(len(options) == listed, f"line {at + 5}: {listed} options expected")
        shown = []
        for i, line in enumerate(options, 1):
            need(line.startswith(f"{i}. "), f"line {at + 4 + i}: option {i} is not numbered {i}")
            shown.append(line[len(f"{i}. "):])
        need(not collections.Counter(shown) - collections.Counter(q.options),
             f"question {wording!r}: options listed that it does not have")
        if len(q.options) <= 5:
            need(sorted(shown) == sorted(q.options), f"question {wording!r}: not all its options are listed")
        rest = text[at + 4 + listed:at + 6 + listed]
        need(len(rest) == 2 and rest[0].startswith("Ваш ответ: ") and rest[1].startswith("Правильный ответ: "),
             f"question {wording!r}: the answer lines are missing")
        given = int(rest[0][len("Ваш ответ: "):])
        correct = int(rest[1][len("Правильный ответ: "):])
        # Two option buttons are always shown, however few options there are.
        need(0 <= given <= max(2, listed), f"question {wording!r}: answer {given} was never shown")
        if 1 <= q.stored_right <= len(q.options):
            need(1 <= correct <= len(q.options), f"question {wording!r}: right option {correct} out of range")
            right_text = q.options[q.stored_right - 1]
            if correct <= 5:
                need(shown[correct - 1] == right_text, f"question {wording!r}: the right option moved away")
            else:
                need(right_text not in shown or shown.count(right_text) < q.options.count(right_text),
                     f"question {wording!r}: the right option is listed but named {correct}")
        else:
            need(correct == q.stored_right, f"question {wording!r}: right number {correct}, "
                                             f"the file's is {q.right} (stored {q.stored_right})")
        counted += given == correct
        at += 6 + listed
    need(seen == set(by_text), f"{len(by_text) - len(seen)} questions have no block")
    need(counted == right, f"the score says {right} right, the blocks {counted}")
    return f"score {right} of {total}, {total} blocks"


# ---- driving the program ----

class Hung(Exception):
    pass


def accessibility():
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi, GLib
    return Atspi, GLib


class Session:
    """One program run: its windows read through AT-SPI, its input from xdotool."""

    def __init__(self, exe, folder, log):
        self.Atspi, self.GLib = accessibility()
        env = dict(os.environ)
        env["ASAN_OPTIONS"] = "detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1"
        env["UBSAN_OPTIONS"] = "print_stacktrace=1:halt_on_error=1"
        self.proc = subprocess.Popen([exe], cwd=folder, stdout=log, stderr=log, env=env, start_new_session=True)
        self.app = None
        self.score_seen = []
        end = time.monotonic() + 60
        while self.app is None:
            if self.proc.poll() is not None:
                return
            if time.monotonic() > end:
                raise Hung("the program did not come up on the accessibility bus within 60 s")
            self.app = self._find_app()
            time.sleep(0.1)
        self.a11y_bus = self._accessibility_bus()
        self.bus_name = self._bus_name()

    def _accessibility_bus(self):
        from gi.repository import Gio
        session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        address = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                                    self.GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, 10000, None)[0]
        flags = Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION
        return Gio.DBusConnection.new_for_address_sync(address, flags, None, None)

    def _bus_name(self):
        """The program's own connection to the accessibility bus."""
        from gi.repository import Gio

        def bus(method, *args):
            return self.a11y_bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                           method, self.GLib.Variant("(s)", args) if args else None, None,
                                           Gio.DBusCallFlags.NONE, 10000, None)[0]
        for name in bus("ListNames"):
            try:
                if name.startswith(":") and bus("GetConnectionUnixProcessID", name) == self.proc.pid:
                    return name
            except self.GLib.Error:
                continue  # a connection that has gone meanwhile
        if self.alive():
            raise Hung("the program has no connection to the accessibility bus")
        return None

    def ping(self, seconds=30):
        """Asks the program's event loop itself, not the accessibility cache,
        which answers for a program that has stopped; `seconds` without an
        answer is a hang."""
        from gi.repository import Gio
        end = time.monotonic() + seconds
        while self.alive():
            try:
                self.a11y_bus.call_sync(self.bus_name, "/org/a11y/atspi/accessible/root",
                                        "org.freedesktop.DBus.Properties", "Get",
                                        self.GLib.Variant("(ss)", ("org.a11y.atspi.Accessible", "ChildCount")),
                                        None, Gio.DBusCallFlags.NONE, 5000, None)
                return
            except self.GLib.Error as error:
                if not self.alive():
                    return
                if time.monotonic() > end:
                    raise Hung(f"no answer through the accessibility bus for {seconds} s: {error.message}")
                time.sleep(0.5)

    def _find_app(self):
        try:
            desktop = self.Atspi.get_desktop(0)
            for i in range(desktop.get_child_count()):
                app = desktop.get_child_at_index(i)
                if app is not None and app.get_process_id() == self.proc.pid:
                    return app
        except self.GLib.Error:
            pass
        return None

    def alive(self):
        return self.proc.poll() is None

    def windows(self, seconds=30):
        """The program's shown windows as (name, role, description, accessible); an event
        loop that does not answer for `seconds` is a hang."""
        end = time.monotonic() + seconds
        while True:
            self.ping(seconds)
            if not self.alive():
                return []
            try:
                shown = []
                for i in range(self.app.get_child_count()):
                    w = self.app.get_child_at_index(i)
                    if w is None or not w.get_state_set().contains(self.Atspi.StateType.SHOWING):
                        continue
                    shown.append((w.get_name() or "", w.get_role_name(), w.get_description() or "", w))
                for name, role, description, _ in shown:
                    if description.startswith("Вы ответили") and description not in self.score_seen:
                        self.score_seen.append(description)
                return shown
            except self.GLib.Error as error:
                if not self.alive():
                    return []
                if time.monotonic() > end:
                    raise Hung(f"no answer through the accessibility bus for {seconds} s: {error.message}")
                time.sleep(0.5)

    def find(self, root, role, name):
        stack = [root]
        while stack:
            acc = stack.pop()
            if acc is None:
                continue
            try:
                if acc.get_role_name() == role and (name is None or acc.get_name() == name) and \
                        acc.get_state_set().contains(self.Atspi.StateType.SHOWING):
                    return acc
                stack.extend(acc.get_child_at_index(i) for i in range(acc.get_child_count()))
            except self.GLib.Error:
                continue
        return None

    def all(self, root, role):
        """The shown accessibles of a role under root, top to bottom."""
        found, stack = [], [root]
        while stack:
            acc = stack.pop()
            if acc is None:
                continue
            try:
                if acc.get_role_name() == role and acc.get_state_set().contains(self.Atspi.StateType.SHOWING):
                    found.append(acc)
                stack.extend(acc.get_child_at_index(i) for i in range(acc.get_child_count()))
            except self.GLib.Error:
                continue
        return found

    def press(self, root, name):
        button = self.find(root, "push button", name)
        if button is None:
            return False
        try:
            button.do_action(0)
        except self.GLib.Error:
            return False
        return True

    def stop(self):
        if self.alive():
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait(10)


def xdo(*args):
    try:
        subprocess.run(["xdotool", *args], timeout=20, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        raise Hung("xdotool did not return within 20 s: " + " ".join(args))


KEYS = ["Return", "Return", "Escape", "Tab", "Tab", "space", "Up", "Down", "Left", "Right", "F1", "F3", "F3",
        "F9", "F9", "alt+F4", "ctrl+a", "KP_Enter", "shift+Tab"] + [str(d) for d in range(10)] + ["KP_2"]
TIMES = ["0:00:03", "0:00:08", "0:00:15", "0:30", "1:10:00", "0:01", "5", "12", "23:59:59", "99:99", "0:00:00",
         ":", "7:5"]


class Action:
    """One input drawn from the run's source; every action draws the same
    number of values, so a seed gives the same inputs whatever the program does."""

    def __init__(self, rng, names):
        self.kind = rng.choices(["key", "keys", "name", "time", "click", "pause"], [50, 6, 8, 8, 24, 4])[0]
        self.key = rng.choice(KEYS)
        self.keys = [rng.choice(KEYS) for _ in range(3)]
        self.name = rng.choice(names)
        self.enter = rng.random() < 0.7
        self.time = rng.choice(TIMES)
        self.where = (rng.random(), rng.random(), rng.random())
        self.delay = rng.uniform(0.02, 0.3) if rng.random() < 0.95 else rng.uniform(1.0, 2.5)

    def describe(self):
        return {"key": self.key, "keys": "+".join(self.keys), "name": repr(self.name), "time": self.time,
                "click": "%.2f,%.2f,%.2f" % self.where, "pause": "%.1f s" % self.delay}[self.kind]

    def perform(self, session):
        if self.kind == "key":
            xdo("key", self.key)
        elif self.kind == "keys":
            xdo("key", "--delay", "60", *self.keys)
        elif self.kind == "name":
            xdo("type", "--delay", "30", self.name)
            if self.enter:
                xdo("key", "Return")
        elif self.kind == "time":
            xdo("key", "ctrl+a")
            xdo("type", "--delay", "30", self.time)
        elif self.kind == "click":
            self.click(session)
        time.sleep(self.delay if self.kind != "pause" else self.delay * 2)

    def click(self, session):
        # Within one of the program's own windows, but never in the file
        # dialog, whose buttons lead out of the run's folder.
        targets = [w for name, role, _, w in session.windows() if name != FILE_DIALOG]
        if not targets:
            return
        target = targets[int(self.where[0] * len(targets))]
        try:
            box = target.get_extents(session.Atspi.CoordType.SCREEN)
        except session.GLib.Error:
            return
        if box.width <= 0 or box.height <= 0:
            return
        x = box.x + int(self.where[1] * box.width)
        y = box.y + int(self.where[2] * box.height)
        xdo("mousemove", str(x), str(y), "click", "1")


def wind_down(session, rng, test_name, seconds=90):
    """Ends a run that the random input left going, the way a student would:
    answer what is asked, choose a test, start it, answer a few questions and
    leave; the choices are drawn from the run's own source."""
    end = time.monotonic() + seconds
    typed = 0
    answered = 0
    names = []
    while session.alive() and time.monotonic() < end:
        shown = session.windows()
        names = [name for name, *_ in shown]
        box = next((w for name, role, description, w in shown if description), None)
        test = next((w for name, _, _, w in shown if name.startswith(TEST_HEAD)), None)
        if box is not None:
            session.press(box, "OK")
        elif FILE_DIALOG in names:
            dialog = shown[names.index(FILE_DIALOG)][3]
            # The dialog opens with the keyboard in its name field.
            if typed < 2:
                typed += 1
                xdo("type", "--delay", "30", test_name)
                xdo("key", "Return")
            elif not session.press(dialog, "Отмена"):
                xdo("key", "Escape")
        elif any(name not in (ABOUT, SETUP, FILE_DIALOG) and not name.startswith(TEST_HEAD)
                 and session.press(w, "OK") for name, _, _, w in shown):
            pass  # a splash window, the title picture with its OK
        elif ABOUT in names and SETUP in names:
            session.press(shown[names.index(ABOUT)][3], "OK")
        elif SETUP in names:
            setup = shown[names.index(SETUP)][3]
            if typed == 0 and rng.random() < 0.8:
                session.press(setup, "Файл - тест")
                time.sleep(1.0)
                continue
            if rng.random() < 0.5:
                check = session.find(setup, "check box", "Результаты подробно")
                if check is not None:
                    check.do_action(0)
            session.press(setup, "Ввод времени")
            time.sleep(0.3)
            session.press(setup, "Пуск теста")
        elif test is not None:
            options = session.all(test, "radio button")
            if answered < 8 and options and rng.random() < 0.8:
                answered += 1
                rng.choice(options).do_action(0)
                time.sleep(0.3)
                session.press(test, rng.choice(["Подтвердить", "Подтвердить", "Пропустить"]))
            else:
                session.press(test, "Выход")
        elif ABOUT in names:
            session.press(shown[names.index(ABOUT)][3], "OK")
        time.sleep(0.5)
    try:
        session.proc.wait(max(5.0, end - time.monotonic()))
    except subprocess.TimeoutExpired:
        raise Hung(f"the program did not end within {seconds} s of being led to its end; windows: {names}")


class Outcome:
    def __init__(self, seed):
        self.seed = seed
        self.actions = 0
        self.ended = ""
        self.failure = ""
        self.results = ""
        self.seconds = 0.0


def one_run(exe, seed, workroot, verbose=False):
    """One run from its seed; returns its Outcome."""
    rng = random.Random(seed)
    outcome = Outcome(seed)
    started = time.monotonic()
    folder = tempfile.mkdtemp(prefix=f"run-{seed}-", dir=workroot)
    os.mkdir(os.path.join(folder, "папка"))

    # The run's files: one or two tests, names with Cyrillic, '&' and spaces.
    stems = [f"тест{seed % 1000}", f"t{seed % 997}", f"R&D {seed % 89}", f"<b>{seed % 83}<i>"]
    rng.shuffle(stems)
    tests = {}
    for stem in stems[:rng.randint(1, 2)]:
        questions = random_test(rng)
        with open(os.path.join(folder, stem + ".txt"), "wb") as f:
            f.write(test_bytes(rng, questions))
        tests[stem] = questions
    if rng.random() < 0.6:
        with open(os.path.join(folder, "help.htxt"), "wb") as f:
            f.write("\r\n".join(phrase(rng, "помощь") for _ in range(rng.randint(0, 5))).encode("cp1251"))
    names = [s + ".txt" for s in tests] * 3 + ["нет такого.txt", "папка", "help.htxt", "", "*.txt"]
    actions = [Action(rng, names) for _ in range(rng.randint(10, 60))]

    # Beside the run's folder, not in it, where the file dialog would list it.
    log_path = folder + ".log"
    with open(log_path, "wb") as log:
        session = None
        try:
            session = Session(exe, folder, log)
            if verbose:
                print(f"  up after {time.monotonic() - started:.1f} s", flush=True)
            for action in actions:
                if not session.alive():
                    break
                if verbose:
                    print(f"  {action.kind} {action.describe()}", flush=True)
                action.perform(session)
                outcome.actions += 1
                session.windows()
            if verbose:
                print(f"  input done after {time.monotonic() - started:.1f} s", flush=True)
            if session.alive():
                outcome.ended = "led to its end"
                wind_down(session, random.Random(seed ^ 0x5EED), rng.choice(list(tests)) + ".txt")
            else:
                outcome.ended = "ended by the random input"
        except Hung as error:
            outcome.ended = "killed: it stopped answering"
            outcome.failure = "stopped answering: " + str(error)
        except Exception:  # noqa: BLE001 - a fault of the driver fails the run, named, and the soak goes on
            outcome.ended = "killed: the driver failed"
            outcome.failure = "driver error:\n" + traceback.format_exc()
        finally:
            if session is not None:
                session.stop()
    code = session.proc.returncode if session is not None else None
    if verbose:
        print(f"  ended after {time.monotonic() - started:.1f} s with status {code}", flush=True)

    with open(log_path, "rb") as f:
        errors = f.read().decode("utf-8", "replace")
    report = SANITIZER.search(errors)
    if not outcome.failure:
        if report:
            outcome.failure = "sanitizer report"
        elif code is not None and code < 0:
            outcome.failure = f"died by signal {-code} ({signal.Signals(-code).name})"
        elif code:
            outcome.failure = f"exit status {code}"
    if outcome.failure and (report or code):
        start = max(0, report.start() - 200) if report else max(0, len(errors) - 3000)
        outcome.failure += "\n" + errors[start:start + 6000]

    # Whatever results file the run left must agree with itself and its test.
    accounts = []
    for stem, questions in tests.items():
        out = os.path.join(folder, stem + ".out")
        if not os.path.exists(out):
            continue
        with open(out, "rb") as f:
            data = f.read()
        try:
            accounts.append(check_results(data, questions))
            first = data.split(b"\r\n")[0].decode("cp1251")
            if session is not None and session.score_seen and first not in session.score_seen:
                raise Mismatch(f"the score shown was {session.score_seen}, the file says {first!r}")
        except Mismatch as error:
            outcome.failure = outcome.failure or f"results file {stem}.out: {error}"
    outcome.results = "; ".join(accounts) if accounts else "no results file"
    outcome.seconds = time.monotonic() - started
    if not outcome.failure:
        shutil.rmtree(folder, ignore_errors=True)
        os.remove(log_path)
    else:
        outcome.failure += f"\n(run folder and its log kept: {folder})"
    return outcome


def in_session(args):
    exe = os.path.abspath(args.exe)
    workroot = tempfile.mkdtemp(prefix="ekzamo-soak-")
    deadline = time.monotonic() + args.minutes * 60
    seeds = random.SystemRandom()
    tally = collections.Counter()
    runs = actions = 0
    failures = []
    started = time.monotonic()
    while True:
        seed = args.seed if args.seed is not None else seeds.randrange(1, 2 ** 31)
        outcome = one_run(exe, seed, workroot, args.verbose)
        runs += 1
        actions += outcome.actions
        verdict = "FAIL" if outcome.failure else "ok"
        print(f"run {runs} seed {seed}: {verdict}, {outcome.actions} actions, {outcome.ended or 'ended'}, "
              f"{outcome.results}, {outcome.seconds:.1f} s", flush=True)
        if outcome.failure:
            failures.append(seed)
            tally["failed"] += 1
            print("  " + outcome.failure.replace("\n", "\n  "), flush=True)
            print(f"  replay: tests/e2e/soak.py --seed {seed}", flush=True)
        else:
            checked = "no results file" if outcome.results == "no results file" else "results file checked"
            tally[f"{outcome.ended}, {checked}"] += 1
        if args.seed is not None or time.monotonic() > deadline:
            break
    if not failures:
        shutil.rmtree(workroot, ignore_errors=True)
    print(f"soak: {runs} runs, {actions} actions in {(time.monotonic() - started) / 60:.1f} min")
    for how, count in sorted(tally.items()):
        print(f"  {count:4d}  {how}")
    if failures:
        print("failed seeds: " + " ".join(map(str, failures)))
        return 1
    return 0


def main():
    parser = argparse.ArgumentParser(description="Random runs of the sanitizer build of Ekzamo.")
    parser.add_argument("exe", nargs="?", default=os.path.join(ROOT, "build-asan", "Ekzamo"),
                        help="the program (default: build-asan/Ekzamo)")
    parser.add_argument("--minutes", type=float, default=2.0, help="how long to go on starting runs")
    parser.add_argument("--seed", type=int, help="replay the one run with this seed")
    parser.add_argument("--verbose", action="store_true", help="print every action")
    args = parser.parse_args()
    if not os.environ.get("EKZAMO_E2E_SESSION"):
        env = dict(os.environ, EKZAMO_E2E_DRIVER=os.path.abspath(__file__))
        rest = sys.argv[1:]
        if args.exe in rest:
            rest.remove(args.exe)
        os.execve(os.path.join(HERE, "run.sh"), [os.path.join(HERE, "run.sh"), args.exe, *rest], env)
    sys.exit(in_session(args))


if __name__ == "__main__":
    main()
