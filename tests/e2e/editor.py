# SPDX-License-Identifier: MIT
"""The test editor as a teacher uses it, on a real X display: a test written
from an empty editor by keys alone, saved and then taken in the real Ekzamo;
a GIFT file imported, saved and found clean by ekzamo-check; a file given on
the command line, and a folder given instead of one.

Usage: editor.py EKZAMO EKZAMO-EDITOR EKZAMO-CHECK [scenario...]
"""
import os
import subprocess
import sys
import time

import scenarios as s  # noqa: E402  (reads EKZAMO from argv[1])

EDITOR = sys.argv[2]
CHECK = sys.argv[3]
TITLE = " — Ekzamo — редактор тестов"


class Editor(s.Program):
    def __init__(self, folder, *args):
        self.folder = folder
        self.proc = subprocess.Popen([EDITOR, *args], cwd=folder, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        self.app = s.wait_for(self._find_app, 20, "ekzamo-editor on the accessibility bus")

    def kill(self):
        shots = os.environ.get("EKZAMO_E2E_SHOTS")
        if shots and self.proc.poll() is None:  # what the screen showed at the end
            subprocess.run(["import", "-window", "root", os.path.join(shots, "editor-at-end.png")], timeout=30)
        super().kill()

    def main(self, name, seconds=10):
        """The editor's window once its title names `name`."""
        return self.window(name + TITLE, seconds)


def test_bytes(questions):
    lines = []
    for q in questions:
        lines += [q.text.replace("&", "&&"), str(len(q.options)), str(q.correct),
                  *[o.replace("&", "&&") for o in q.options]]
    return "".join(line + "\r\n" for line in lines).encode("cp1251")


def type_slowly(text):
    """Typed as a teacher with a Russian layout types: the letters are on
    the keyboard's second group (see main), so xdotool need not remap keys
    for them, which loses letters when the program reads a key late."""
    s.xdo("type", "--delay", "60", text)
    time.sleep(0.3)


def dialog_ready(dialog):
    """Waits until the dialog has the keyboard."""
    s.wait_for(lambda: dialog.get_state_set().contains(s.Atspi.StateType.ACTIVE), 10, "the dialog to be active")
    time.sleep(0.3)


def save_as(editor, name):
    """Ctrl+S in a new test: the name typed into the save dialog."""
    before = {w.get_name() for w in editor.windows() if w is not None and s.showing(w)}
    s.key("ctrl+s")
    dialog = s.wait_for(lambda: next((w for w in editor.windows() if w is not None and s.showing(w)
                                      and w.get_name() not in before), None), 10, "the save dialog")
    dialog_ready(dialog)
    s.type_text(name)
    s.key("Return")
    s.wait_for(lambda: not s.showing(dialog), 10, "the save dialog to close")


def ekzamo_check(path):
    return subprocess.run([CHECK, path], capture_output=True, text=True, timeout=30)


# ---- the scenarios ----

def typed_by_keys_then_taken(folder):
    """Three questions typed by keys alone from an empty editor, saved, checked
    clean, and taken in Ekzamo with every answer right."""
    questions = [s.Question("Столица Франции?", ["Париж", "Лион", "Марсель"], 1),
                 s.Question("Tom & Jerry: кто кот?", ["Jerry", "Tom"], 2),
                 s.Question("Сколько будет 2 + 2?", ["3", "5", "4", "22"], 3)]
    editor = Editor(folder)
    try:
        editor.main("Новый тест", 20)
        editor.activate("Новый тест")
        for k, q in enumerate(questions):
            if k > 0:
                s.key("ctrl+Return")  # a new question, the cursor in its wording
            type_slowly(q.text)
            for i, option in enumerate(q.options):
                s.key("Return")  # on to the next option; past the last one adds one
                type_slowly(option)
            s.key(f"alt+{q.correct}")  # the right option's mark
        name = editor.main("Новый тест*").get_name()
        s.check(name.startswith("Новый тест*"), "the modified marker in the title: " + name)
        s.key("ctrl+q")  # unsaved: the question, and Esc stays
        asked = editor.message()
        s.check(asked == "Тест «Новый тест» изменён. Сохранить изменения?", "the unsaved-changes question: " + asked)
        s.key("Escape")
        s.wait_for(lambda: not any(w is not None and s.showing(w) and w.get_description()
                                   for w in editor.windows()), 5, "the question to close")
        s.check(editor.proc.poll() is None, "Esc keeps the editor open")
        editor.activate("Новый тест")
        save_as(editor, "keys.txt")
        editor.main("keys.txt")
        path = os.path.join(folder, "keys.txt")
        with open(path, "rb") as f:
            written = f.read()
        if written != test_bytes(questions):
            sys.stderr.write(repr(written.decode("cp1251", "replace")) + "\n")
            raise s.Failure("the saved test differs from what was typed")
        checked = ekzamo_check(path)
        s.check(checked.returncode == 0, "ekzamo-check finds nothing: " + checked.stdout)
        s.key("ctrl+q")
        s.check(editor.wait_exit() == 0, "the editor ends on Ctrl+Q with nothing unsaved")
    finally:
        editor.kill()

    shown = [s.Question(q.text, q.options, q.correct) for q in questions]
    program = s.Program(folder)
    try:
        s.setup_window(program)
        s.choose_file_in_dialog(program, "keys.txt")
        s.key("Tab", "Tab", "Tab", "space", "F9")
        run = s.Run(program, shown)
        for position in range(1, 4):
            _, question, options, _ = run.current(position)
            right = run.right_place(question, options)
            s.key(str(right), "Return")
            run.answers[position] = right
        score = program.message()
        s.key("Return")
        program.wait_exit()
        s.check_results(folder, "keys.out", run, False, score)
        s.check(score == "Вы ответили правильно на 3 вопрос(-а/-ов) из 3", score)
    finally:
        program.kill()


def gift_imported_and_saved(folder):
    """A GIFT bank imported from the File menu, saved, and clean in the check."""
    gift = os.path.join(folder, "bank.gift")
    with open(gift, "w", encoding="utf-8") as f:
        f.write("// Из Moodle\n$CATEGORY: $course$/География\n\n"
                "::Столица:: Столица Франции? {\n  =Париж#Верно\n  ~Лион\n  ~Марсель\n}\n\n"
                "::Река:: Самая длинная река \\{по данным атласа\\}? { ~Волга =Нил ~Амазонка }\n\n"
                "::Истина:: Земля круглая? {TRUE}\n")
    editor = Editor(folder)
    try:
        editor.main("Новый тест", 20)
        editor.activate("Новый тест")
        before = {w.get_name() for w in editor.windows() if w is not None and s.showing(w)}
        s.key("alt", "Down", "g")  # the menu bar, "Файл", "Импорт из GIFT..."
        dialog = s.wait_for(lambda: next((w for w in editor.windows() if w is not None and s.showing(w)
                                          and w.get_name() not in before), None), 10, "the import dialog")
        dialog_ready(dialog)
        s.type_text("bank.gift")
        s.key("Return")
        s.wait_for(lambda: not s.showing(dialog), 10, "the import dialog to close")
        notes = editor.message()
        s.check("строка 12" in notes, "the true/false question is named: " + notes)
        s.key("Return")
        save_as(editor, "bank.txt")
        editor.main("bank.txt")
        path = os.path.join(folder, "bank.txt")
        with open(path, "rb") as f:
            written = f.read()
        expected = test_bytes([s.Question("Столица Франции?", ["Париж", "Лион", "Марсель"], 1),
                               s.Question("Самая длинная река {по данным атласа}?", ["Волга", "Нил", "Амазонка"], 2)])
        s.check(written == expected, "the imported test as saved: " + written.decode("cp1251", "replace"))
        checked = ekzamo_check(path)
        s.check(checked.returncode == 0, "ekzamo-check finds nothing: " + checked.stdout)
    finally:
        editor.kill()


def file_on_the_command_line(folder):
    """`ekzamo-editor FILE` opens it; a folder instead is refused with a
    message, and the editor goes on with an empty test."""
    path = os.path.join(folder, "given.txt")
    with open(path, "wb") as f:
        f.write(test_bytes([s.Question("Первый вопрос?", ["да", "нет"], 1)]))
    editor = Editor(folder, path)
    try:
        editor.main("given.txt", 20)
        s.check(s.find(editor.app, "text", "Текст вопроса").get_text(0, -1) == "Первый вопрос?",
                "the first question is shown")
    finally:
        editor.kill()
    editor = Editor(folder, folder)
    try:
        text = editor.message(20)
        s.check("File access denied" in text, "a folder is refused: " + text)
        s.key("Return")
        editor.main("Новый тест")
        s.check(editor.proc.poll() is None, "the editor goes on")
    finally:
        editor.kill()


SCENARIOS = [typed_by_keys_then_taken, gift_imported_and_saved, file_on_the_command_line]


def main():
    subprocess.run(["setxkbmap", "-layout", "us,ru"], check=True, timeout=30)
    s.run_all(SCENARIOS, sys.argv[4:], "ekzamo-editor-e2e-")


if __name__ == "__main__":
    main()
