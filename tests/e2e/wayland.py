# SPDX-License-Identifier: MIT
"""A whole test taken on Wayland, run by tests/e2e/wayland.sh.

Keys go through wtype to whichever window the compositor gave the keyboard;
what the windows show is read, and buttons pressed, through AT-SPI; which
window has the keyboard is asked of sway. The results file is checked byte
for byte against what the run did.
"""
import json
import shutil
import subprocess
import sys
import tempfile
import time

import scenarios
from scenarios import Failure, Program, Run, check, check_results, make_questions, wait_for, write_test

ABOUT = "О программе..."


def key(*names):
    for name in names:
        subprocess.run(["wtype", "-k", name], check=True, timeout=20)
        time.sleep(0.15)


def ctrl(letter):
    subprocess.run(["wtype", "-M", "ctrl", letter, "-m", "ctrl"], check=True, timeout=20)
    time.sleep(0.15)


def type_text(text):
    subprocess.run(["wtype", "-d", "40", text], check=True, timeout=20)
    time.sleep(0.1)


def keyboard_window():
    """The title of the window that has the keyboard, as sway says."""
    tree = json.loads(subprocess.run(["swaymsg", "-t", "get_tree"], capture_output=True, text=True,
                                     timeout=10).stdout)
    stack = [tree]
    while stack:
        node = stack.pop()
        if node.get("focused") and node.get("type") in ("con", "floating_con"):
            return node.get("name")
        stack += node.get("nodes", []) + node.get("floating_nodes", [])
    return None


def no_message(program):
    return not any(w is not None and scenarios.showing(w) and w.get_description() for w in program.windows())


def typical_run(folder):
    """F9 refused and its message closed by Return and by Space; the file by F3
    and its typed name; the time typed; detailed results; the About window
    that takes the keyboard at the start passes Enter on to the test; answers,
    a skip and the score, all by keys."""
    questions = make_questions([3, 4, 2], "way")
    write_test(folder, "wayland.txt", questions)
    program = Program(folder)
    try:
        setup = program.window("Ekzamo", 20)
        wait_for(lambda: keyboard_window() == "Ekzamo", 10, "the setup window to have the keyboard")
        for closing in ("Return", "space"):
            key("F9")
            check(program.message() == "Не введено время тестирования! Введите", "the duration check")
            key(closing)
            wait_for(lambda: no_message(program), 5, f"{closing} to close the message")

        key("F3")
        dialog = wait_for(lambda: next((w for w in program.windows() if w is not None and scenarios.showing(w)
                                        and w.get_name() == "Открыть"), None), 10, "the file dialog")
        wait_for(lambda: keyboard_window() == "Открыть", 10, "the file dialog to have the keyboard")
        type_text("wayland.txt")
        key("Return")
        wait_for(lambda: not scenarios.showing(dialog), 10, "the file dialog to close")
        wait_for(lambda: keyboard_window() == "Ekzamo", 10, "the setup window to have the keyboard again")

        # Button1 -> Button2 -> the picker; then Button3, Memo1, CheckBox1.
        key("Tab", "Tab")
        ctrl("a")
        type_text("0:30")
        picker = scenarios.find(setup, "spin button", "Время тестирования")
        wait_for(lambda: picker.get_text(0, -1) == "0:30:00", 5, "the picker to show 0:30:00")
        key("Tab", "space", "Tab", "Tab", "space")
        box = scenarios.find(setup, "check box", "Результаты подробно")
        wait_for(lambda: box.get_state_set().contains(scenarios.Atspi.StateType.CHECKED), 5, "detailed results")

        key("F9")
        # The compositor gives the About window the keyboard as it is shown;
        # an Enter then is the student's, for "Подтвердить", with nothing chosen.
        wait_for(lambda: keyboard_window() == ABOUT, 5, "the About window to get the keyboard")
        key("Return")
        check(program.message() == "Выберите один из предложенных вариантов ответа",
              "Enter reached the test window, not the About window's OK")
        check(program.proc.poll() is None, "the program goes on")
        key("Return")
        wait_for(lambda: no_message(program), 5, "the message to close")

        run = Run(program, questions)
        _, question, options, _ = run.current(1)
        panel = wait_for(lambda: next((a for a in scenarios.walk(run.window) if (a.get_name() or "").startswith(
            "Осталось времени: 0:29:")), None), 5, "the time left")
        check(panel is not None, "the time typed was taken")
        right = run.right_place(question, options)
        key(str(right), "Return")
        run.answers[1] = right
        run.current(2)
        key("Escape")
        _, question, options, _ = run.current(3)
        wrong = 1 if run.right_place(question, options) != 1 else 2
        key(str(wrong), "Return")
        run.answers[3] = wrong
        _, question, options, _ = run.current(2)
        right = run.right_place(question, options)
        key(str(right), "Return")
        run.answers[2] = right
        score = program.message()
        key("Return")
        program.wait_exit()
        check(program.proc.returncode == 0, f"exit status {program.proc.returncode}")
        check_results(folder, "wayland.out", run, True, score)
    finally:
        program.kill()


def main():
    folder = tempfile.mkdtemp(prefix="ekzamo-wayland-")
    started = time.monotonic()
    try:
        typical_run(folder)
        print(f"PASS wayland typical_run ({time.monotonic() - started:.1f} s)", flush=True)
    except (Failure, subprocess.SubprocessError) as error:
        print(f"FAIL wayland typical_run: {error}", flush=True)
        sys.exit(1)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
