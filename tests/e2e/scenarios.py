# SPDX-License-Identifier: MIT
"""Whole runs of Ekzamo as a student makes them, on a real X display.

Keys and clicks go through xdotool; what the windows show is read through
AT-SPI. Each scenario runs the program in a scratch folder of its own, with a
test file it writes itself, and checks the results file byte for byte against
what the run did. Every wait is bounded; the program is ended by its pid.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

EXE = sys.argv[1]
RULE = "=" * 63


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def wait_for(probe, seconds, what):
    """Polls probe until it returns something true; fails after `seconds`."""
    end = time.monotonic() + seconds
    while True:
        try:
            found = probe()
        except gi.repository.GLib.Error:
            found = None
        if found:
            return found
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.05)


def xdo(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=20)


def key(*names):
    for name in names:
        xdo("key", name)
        time.sleep(0.12)


def type_text(text):
    xdo("type", "--delay", "40", text)
    time.sleep(0.1)


# ---- the accessibility tree ----

def showing(acc):
    return acc.get_state_set().contains(Atspi.StateType.SHOWING)


def walk(acc):
    yield acc
    for i in range(acc.get_child_count()):
        child = acc.get_child_at_index(i)
        if child is not None:
            yield from walk(child)


def find(root, role=None, name=None, shown=True):
    for acc in walk(root):
        if role and acc.get_role_name() != role:
            continue
        if name is not None and acc.get_name() != name:
            continue
        if shown and not showing(acc):
            continue
        return acc
    return None


def centre(acc):
    box = acc.get_extents(Atspi.CoordType.SCREEN)
    return box.x + box.width // 2, box.y + box.height // 2


def click(acc):
    x, y = centre(acc)
    xdo("mousemove", str(x), str(y), "click", "1")
    time.sleep(0.15)


class Program:
    def __init__(self, folder):
        self.folder = folder
        self.proc = subprocess.Popen([EXE], cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.app = wait_for(self._find_app, 20, "Ekzamo on the accessibility bus")

    def _find_app(self):
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_process_id() == self.proc.pid:
                return app
        return None

    def windows(self):
        return [self.app.get_child_at_index(i) for i in range(self.app.get_child_count())]

    def window(self, name, seconds=10):
        return wait_for(lambda: next((w for w in self.windows() if w is not None and w.get_name() == name
                                      and showing(w)), None), seconds, "window " + name)

    def gone(self, name):
        return not any(w is not None and w.get_name() == name and showing(w) for w in self.windows())

    def message(self, seconds=10):
        """The text of the message box on screen."""
        def probe():
            for w in self.windows():
                if w is not None and showing(w) and w.get_role_name() in ("dialog", "alert") \
                        and w.get_description():
                    return w
            return None
        box = wait_for(probe, seconds, "a message box")
        return box.get_description()

    def x_window(self, title):
        out = wait_for(lambda: subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid), "--name", title],
            capture_output=True, text=True, timeout=10).stdout.split(), 10, "X window " + title)
        return out[0]

    def activate(self, title):
        xdo("windowactivate", "--sync", self.x_window(title))
        time.sleep(0.2)

    def wait_exit(self, seconds=10):
        try:
            return self.proc.wait(seconds)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end")

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(10)


# ---- tests and their results ----

class Question:
    def __init__(self, text, options, correct):
        self.text, self.options, self.correct = text, options, correct


def write_test(folder, name, questions):
    lines = []
    for q in questions:
        lines += [q.text, str(len(q.options)), str(q.correct), *q.options]
    with open(os.path.join(folder, name), "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode("cp1251"))


def make_questions(counts, tag):
    return [Question(f"{tag}: вопрос {k} о столицах", [f"Ответ {k}.{i} ({tag})" for i in range(1, n + 1)],
                     1 + (k % n)) for k, n in enumerate(counts, 1)]


class Run:
    """What the test window showed and what was answered, by position."""

    def __init__(self, program, questions):
        self.program = program
        self.by_text = {q.text: q for q in questions}
        self.count = len(questions)
        self.shown = {}    # position -> (question, options as shown)
        self.answers = {}  # position -> option number
        self.window = None

    def current(self, expected_position=None):
        """Reads the question on screen; returns (position, question, options)."""
        if self.window is None:
            self.window = wait_for(lambda: next((w for w in self.program.windows() if w is not None and
                                                 w.get_name().startswith("Тесты по дисциплине: ")
                                                 and showing(w)), None), 15, "the test window")

        def probe():
            group = None
            for acc in walk(self.window):
                name = acc.get_name() or ""
                if name.startswith("Вопрос №") and showing(acc):
                    group = acc
                    break
            if group is None:
                return None
            position = int(name[len("Вопрос №"):].split(" ")[0])
            if expected_position is not None and position != expected_position:
                return None
            return group, position
        group, position = wait_for(probe, 10, f"question at position {expected_position}")
        check(group.get_name() == f"Вопрос №{position} из {self.count}", "the position heading")
        wording = next((a.get_name() for a in walk(group) if a.get_role_name() == "label"
                        and a.get_name() in self.by_text), None)
        check(wording is not None, "the wording is read out")
        question = self.by_text[wording]
        buttons = [a for a in walk(self.window) if a.get_role_name() == "radio button" and showing(a)]
        buttons.sort(key=lambda a: centre(a)[1])
        check(len(buttons) == max(2, min(5, len(question.options))), "the shown option buttons")
        options = [b.get_name() for b in buttons][:min(5, len(question.options))]
        check(sorted(options) == sorted(question.options[:5]) or len(question.options) > 5,
              "the options shown are the question's")
        self.shown[position] = (question, options)
        return position, question, options, buttons

    def right_place(self, question, options):
        return options.index(question.options[question.correct - 1]) + 1

    def expected_file(self, detailed):
        right = sum(1 for p, (q, opts) in self.shown.items() if self.answers.get(p, 0) == self.right_place(q, opts))
        lines = [f"Вы ответили правильно на {right} вопрос(-а/-ов) из {self.count}"]
        if detailed:
            check(len(self.shown) == self.count, "every question was seen")
            for p in range(1, self.count + 1):
                q, opts = self.shown[p]
                lines += [RULE, "Вопрос:", q.text, "Варианты ответов:"]
                lines += [f"{i}. {o}" for i, o in enumerate(opts, 1)]
                lines += [f"Ваш ответ: {self.answers.get(p, 0)}", f"Правильный ответ: {self.right_place(q, opts)}"]
        return "".join(line + "\r\n" for line in lines).encode("cp1251"), lines[0]


def check_results(folder, name, run, detailed, score_shown):
    expected, score = run.expected_file(detailed)
    check(score_shown == score, f"score message {score_shown!r}, expected {score!r}")
    with open(os.path.join(folder, name), "rb") as f:
        actual = f.read()
    if actual != expected:
        sys.stderr.write("expected:\n" + expected.decode("cp1251") + "got:\n" + actual.decode("cp1251", "replace"))
        raise Failure("the results file differs from the run")


def choose_file_in_dialog(program, name):
    """F3, the name typed into the file dialog, Enter."""
    before = {w.get_name() for w in program.windows() if w is not None and showing(w)}
    key("F3")
    dialog = wait_for(lambda: next((w for w in program.windows() if w is not None and showing(w)
                                    and w.get_name() not in before), None), 10, "the file dialog")
    time.sleep(0.3)
    type_text(name)
    key("Return")
    wait_for(lambda: not showing(dialog), 10, "the file dialog to close")
    time.sleep(0.3)


def setup_window(program):
    program.window("Ekzamo", 20)
    program.activate("^Ekzamo$")
    return find(program.app, "dialog", "Ekzamo") or find(program.app, "frame", "Ekzamo")


# ---- the scenarios ----

def typical_run(folder):
    """Mouse and keys as most students use them: F3 and a typed name, a time
    typed and entered, detailed results, F9, answers and skips, the finish."""
    questions = make_questions([3, 4, 5, 3], "typ")
    write_test(folder, "typical.txt", questions)
    program = Program(folder)
    try:
        setup = setup_window(program)
        choose_file_in_dialog(program, "typical.txt")
        click(find(setup, "spin button", "Время тестирования"))
        key("ctrl+a")
        type_text("0:30")
        picker = find(setup, "spin button", "Время тестирования")
        wait_for(lambda: picker.get_text(0, -1) == "0:30:00", 5, "the picker to show 0:30:00")
        click(find(setup, "push button", "Ввод времени"))
        click(find(setup, "check box", "Результаты подробно"))
        key("F9")
        run = Run(program, questions)
        # answer right, skip, answer wrong, skip; then the two skipped come back.
        plan = [(1, "right"), (2, "skip"), (3, "wrong"), (4, "skip"), (2, "right"), (4, "wrong")]
        for position, action in plan:
            _, question, options, buttons = run.current(position)
            window = run.window
            if action == "skip":
                click(find(window, "push button", "Пропустить"))
                continue
            right = run.right_place(question, options)
            k = right if action == "right" else (1 if right != 1 else 2)
            click(buttons[k - 1])
            check(buttons[k - 1].get_state_set().contains(Atspi.StateType.CHECKED), "the clicked option is checked")
            run.answers[position] = k
            click(find(window, "push button", "Подтвердить"))
        score = program.message()
        key("Return")
        program.wait_exit()
        check_results(folder, "typical.out", run, True, score)
    finally:
        program.kill()


def keys_only(folder):
    """The whole run by keys alone: Tab through the setup window, digits,
    Enter and Esc in the test."""
    questions = make_questions([3, 5, 2], "key")
    write_test(folder, "keys.txt", questions)
    program = Program(folder)
    try:
        setup_window(program)
        choose_file_in_dialog(program, "keys.txt")
        # Button1 -> Button2 -> the picker; then Button3, Memo1, CheckBox1.
        key("Tab", "Tab", "ctrl+a")
        type_text("0:45")
        key("Tab", "space", "Tab", "Tab", "space", "F9")
        run = Run(program, questions)
        _, q, options, _ = run.current(1)
        panel = wait_for(lambda: next((a for a in walk(run.window) if (a.get_name() or "").startswith(
            "Осталось времени: 0:4")), None), 5, "the time left")
        check(panel.get_name() in ("Осталось времени: 0:44:59", "Осталось времени: 0:44:58",
                                   "Осталось времени: 0:44:57"), "the time typed was taken: " + panel.get_name())
        key("2", "Return")
        run.answers[1] = 2
        run.current(2)
        key("Escape")
        _, q, options, _ = run.current(3)
        key("KP_1", "Return")
        run.answers[3] = 1
        _, q, options, _ = run.current(2)
        key("Down")  # no choice yet: the arrow only moves the focus
        last = len(options)
        key(str(last), "Up", "Return")
        run.answers[2] = last - 1
        score = program.message()
        key("Return")
        program.wait_exit()
        check_results(folder, "keys.out", run, True, score)
    finally:
        program.kill()


def duration_check_and_zero(folder):
    """F9 before a time is entered is refused; a time of 0:00:00 ends the test
    at the first tick with nothing answered."""
    questions = make_questions([3, 3, 3], "dur")
    write_test(folder, "zero.txt", questions)
    program = Program(folder)
    try:
        setup_window(program)
        key("F9")
        check(program.message() == "Не введено время тестирования! Введите", "the duration check")
        key("Return")
        wait_for(lambda: not any(w is not None and showing(w) and w.get_description()
                                 for w in program.windows()), 5, "the message to close")
        program.window("Ekzamo")
        program.activate("^Ekzamo$")
        choose_file_in_dialog(program, "zero.txt")
        key("Tab", "Tab", "ctrl+a")
        type_text("0:00:00")
        key("Tab", "space", "F9")
        started = time.monotonic()
        run = Run(program, questions)
        run.current(1)
        score = program.message(5)
        elapsed = time.monotonic() - started
        check(0.5 <= elapsed <= 3.5, f"the test ended at the first tick ({elapsed:.1f} s)")
        key("Return")
        program.wait_exit()
        check_results(folder, "zero.out", run, False, score)
    finally:
        program.kill()


def exit_in_the_middle(folder):
    """"Выход" while a question is open: the score and the file at once."""
    questions = make_questions([4, 3], "ext")
    write_test(folder, "exit.txt", questions)
    program = Program(folder)
    try:
        setup = setup_window(program)
        choose_file_in_dialog(program, "exit.txt")
        click(find(setup, "check box", "Результаты подробно"))
        click(find(setup, "push button", "Ввод времени"))
        key("F9")
        run = Run(program, questions)
        _, q, options, _ = run.current(1)
        key("1", "Return")
        run.answers[1] = 1
        run.current(2)
        click(find(run.window, "push button", "Выход"))
        score = program.message()
        key("Return")
        program.wait_exit()
        check_results(folder, "exit.out", run, True, score)
    finally:
        program.kill()


def about_closed_early(folder):
    """The About window stands beside the test window for its first second;
    its OK then ends the program with no score and no results file."""
    questions = make_questions([3], "abt")
    write_test(folder, "about.txt", questions)
    for attempt in range(3):
        program = Program(folder)
        try:
            setup = setup_window(program)
            choose_file_in_dialog(program, "about.txt")
            click(find(setup, "push button", "Ввод времени"))
            key("F9")
            about = wait_for(lambda: next((w for w in program.windows() if w is not None and
                                           w.get_name() == "О программе..." and showing(w)), None), 5,
                             "the About window")
            ok = find(about, "push button", "OK")
            if ok is None:
                continue
            click(ok)
            try:
                program.proc.wait(5)
            except subprocess.TimeoutExpired:
                # The first tick hid the window before the click arrived.
                sys.stderr.write(f"about_closed_early: attempt {attempt + 1} was too late\n")
                continue
            check(not os.path.exists(os.path.join(folder, "about.out")), "no results file")
            return
        finally:
            program.kill()
    raise Failure("the About window was never caught before the first tick")


def help_and_splash(folder):
    """F1 shows help.htxt in the memo; the logo shows the title picture with
    an OK button, gone by itself after 3.3 seconds."""
    help_text = "Инструкция:\r\nF3 - выбрать тест,\r\nF9 - начать.\nЦифры 1-5 выбирают ответ."
    with open(os.path.join(folder, "help.htxt"), "wb") as f:
        f.write(help_text.encode("cp1251"))
    program = Program(folder)
    try:
        setup = setup_window(program)
        key("F1")
        memo = find(setup, None, "Инструкция")
        expected = help_text.replace("\r\n", "\n")
        wait_for(lambda: memo.get_text(0, -1) == expected, 5, "the instructions in the memo")

        # The menus by keys: Alt, then the arrows to "Помощь" - "О программе".
        key("alt", "Right", "Right", "Down", "Down", "Return")
        about = program.window("О программе...", 5)
        key("Return")
        wait_for(lambda: not showing(about), 5, "OK to close the About window")
        check(program.proc.poll() is None, "OK in the About window opened from the menu goes back")
        program.activate("^Ekzamo$")

        click(find(setup, None, "Логотип Ekzamo"))
        title = "Ekzamo: тестирование - проверка знаний - обучение"
        shown_at = time.monotonic()
        splash = wait_for(lambda: next((w for w in program.windows() if w is not None and showing(w)
                                        and find(w, None, title)), None), 5, "the splash window")
        check(find(splash, "push button", "OK") is not None, "the splash window has its OK")
        wait_for(lambda: not showing(splash), 8, "the splash window to go")
        gone = time.monotonic() - shown_at
        check(2.8 <= gone <= 6.0, f"the splash window went by itself after {gone:.1f} s")
        check(program.proc.poll() is None, "the program goes on")

        # The setup window keeps its size and stands wholly on the screen.
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", program.x_window("^Ekzamo$")],
                                  capture_output=True, text=True, timeout=10).stdout
        values = {k: int(v) for k, v in (line.split("=") for line in geometry.split()) if k != "SCREEN"}
        check(values["WIDTH"] == 869, f"the setup window's width {values['WIDTH']}")
        check(0 <= values["X"] and values["X"] + values["WIDTH"] <= 1280 and 0 <= values["Y"]
              and values["Y"] + values["HEIGHT"] <= 1024, f"the setup window on the screen: {values}")
    finally:
        program.kill()


def small_screen(folder):
    """On a 1024 x 600 screen the setup and test windows, designed for a larger
    one, are moved onto it whole."""
    questions = make_questions([3, 3], "scr")
    write_test(folder, "small.txt", questions)
    started = []
    old_display = os.environ["DISPLAY"]
    try:
        # The server picks a free display and writes its number when ready.
        ready, told = os.pipe()
        started.append(subprocess.Popen(["Xvfb", "-displayfd", str(told), "-screen", "0", "1024x600x24",
                                         "-nolisten", "tcp"], pass_fds=(told,),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        os.close(told)
        with os.fdopen(ready) as numbers:
            number = numbers.readline().strip()
        check(number.isdigit(), "the small X server started")
        os.environ["DISPLAY"] = ":" + number
        wait_for(lambda: subprocess.run(["xdpyinfo"], capture_output=True, timeout=5).returncode == 0, 10,
                 "the small X server")
        started.append(subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_for(lambda: b"window id" in subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                                        capture_output=True, timeout=5).stdout, 10, "openbox")
        program = Program(folder)
        started.append(program.proc)

        def on_screen(title, width, height):
            out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", program.x_window(title)],
                                 capture_output=True, text=True, timeout=10).stdout
            g = {k: int(v) for k, v in (line.split("=") for line in out.split())}
            check(g["WIDTH"] == width and g["HEIGHT"] >= height, f"{title} keeps its size: {g}")
            check(g["X"] >= 0 and g["Y"] >= 0 and g["X"] + g["WIDTH"] <= 1024 and g["Y"] + g["HEIGHT"] <= 600,
                  f"{title} wholly on the 1024 x 600 screen: {g}")

        setup_window(program)
        on_screen("^Ekzamo$", 869, 167)
        choose_file_in_dialog(program, "small.txt")
        key("Tab", "Tab", "Tab", "space", "F9")
        run = Run(program, questions)
        run.current(1)
        on_screen("Тесты по дисциплине", 875, 509)
        program.activate("Тесты по дисциплине")
        key("Tab", "Tab", "Tab", "space")  # from the first option to "Выход"
        score = program.message()
        key("Return")
        program.wait_exit()
        check_results(folder, "small.out", run, False, score)
    finally:
        os.environ["DISPLAY"] = old_display
        for proc in reversed(started):
            if proc.poll() is None:
                proc.kill()
                proc.wait(10)


def setup_window_keys(folder):
    """Enter in the time picker or on the check box neither starts the test
    nor warns, and keeps the time entered before; F9 then starts."""
    questions = make_questions([3, 2], "ent")
    write_test(folder, "enter.txt", questions)
    program = Program(folder)
    try:
        setup = setup_window(program)
        choose_file_in_dialog(program, "enter.txt")
        click(find(setup, "push button", "Ввод времени"))
        picker = find(setup, "spin button", "Время тестирования")
        click(picker)
        key("ctrl+a")
        type_text("0:20")
        wait_for(lambda: picker.get_text(0, -1) == "0:20:00", 5, "the picker to show 0:20:00")

        def nothing_happened(where):
            time.sleep(1.0)
            check(not any(w is not None and showing(w) and (w.get_name() or "").startswith("Тесты по дисциплине")
                          for w in program.windows()), f"Enter {where} started the test")
            check(not any(w is not None and showing(w) and w.get_description() for w in program.windows()),
                  f"Enter {where} brought up a message")
            check(showing(setup), f"the setup window stays after Enter {where}")

        key("Return", "KP_Enter")
        nothing_happened("in the time picker")
        key("Tab", "Tab", "Tab")  # "Ввод времени", the instructions, "Результаты подробно"
        box = find(setup, "check box", "Результаты подробно")
        wait_for(lambda: box.get_state_set().contains(Atspi.StateType.FOCUSED), 5, "the check box's focus")
        key("Return")
        nothing_happened("on the check box")
        check(not box.get_state_set().contains(Atspi.StateType.CHECKED), "Enter left the check box as it was")
        key("F9")
        run = Run(program, questions)
        run.current(1)
        wait_for(lambda: next((a for a in walk(run.window) if (a.get_name() or "").startswith(
            "Осталось времени: 1:09:5")), None), 5, "the time entered with the button, not the one typed after")
        click(find(run.window, "push button", "Выход"))
        score = program.message()
        key("Return")
        program.wait_exit()
        check_results(folder, "enter.out", run, False, score)
    finally:
        program.kill()


SCENARIOS = [typical_run, keys_only, duration_check_and_zero, exit_in_the_middle, about_closed_early,
             help_and_splash, small_screen, setup_window_keys]


def run_all(scenarios, wanted, prefix):
    """Runs each wanted scenario in a scratch folder of its own and exits 1
    naming those that failed. With EKZAMO_E2E_SHOTS set, a failure leaves a
    screenshot of what the screen showed there."""
    failed = []
    for scenario in scenarios:
        if wanted and scenario.__name__ not in wanted:
            continue
        folder = tempfile.mkdtemp(prefix=prefix)
        started = time.monotonic()
        try:
            scenario(folder)
            print(f"PASS {scenario.__name__} ({time.monotonic() - started:.1f} s)", flush=True)
        except Exception as error:  # noqa: BLE001 - every failure is reported
            failed.append(scenario.__name__)
            print(f"FAIL {scenario.__name__}: {error}", flush=True)
            shots = os.environ.get("EKZAMO_E2E_SHOTS")
            if shots:
                subprocess.run(["import", "-window", "root", os.path.join(shots, scenario.__name__ + ".png")],
                               timeout=30)
        finally:
            shutil.rmtree(folder, ignore_errors=True)
    if failed:
        print("failed: " + ", ".join(failed))
        sys.exit(1)


def main():
    run_all(SCENARIOS, sys.argv[2:], "ekzamo-e2e-")


if __name__ == "__main__":
    main()
