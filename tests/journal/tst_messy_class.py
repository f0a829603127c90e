#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# The class of make-messy-class.sh collected into a database, then collected
# again after the retake and the hand edit: every case's rows in attempts.csv
# and its cell in summary.csv. The expected figures are worked out here from
# the files and the keys, question by question, not taken from the journal.
# Usage: tst_messy_class.py EKZAMO_JOURNAL SIMULATE_CLASS
import csv
import datetime
import os
import re
import shutil
import subprocess
import sys
import tempfile

journal, simulate = sys.argv[1], sys.argv[2]
here = os.path.dirname(os.path.abspath(__file__))
failures = []

TESTS = ["algebra", "geography", "informatics"]
OFF_LIST = "Чернов Глеб"
FLAGS = {"changed_after_collection", "key_mismatch", "unfinished", "score_only", "version_mismatch"}
ATTEMPT_COLUMNS = ["class", "student", "test", "attempt", "counted", "written", "collected", "right",
                   "answered", "questions", "percent", "grade", "flags", "file"]


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)
    return ok


def lines(path):
    with open(path, "rb") as f:
        return f.read().decode("cp1251").replace("\r\n", "\n").split("\n")


def read_key(path):
    """Wording -> the right option's text, as the test file holds them."""
    text, key, k = lines(path), {}, 0
    while k + 2 < len(text) and text[k]:
        wording, count, right = text[k], int(text[k + 1]), int(text[k + 2])
        options = text[k + 3:k + 3 + count]
        key[wording] = options[right - 1]
        k += 3 + count
    return key


def graded(content, keys, test):
    """right, answered, questions of a results file, by the key."""
    text = content.decode("cp1251").split("\r\n")
    score = re.match(r"Вы ответили правильно на (\d+) вопрос\(-а/-ов\) из (\d+)$", text[0])
    if len(text) <= 2:
        n = int(score.group(2))
        return int(score.group(1)), n, n
    right = answered = questions = 0
    k = 1
    while k < len(text) and text[k].startswith("="):
        wording = text[k + 2]
        options = []
        k += 4
        while re.match(r"[1-5]\. ", text[k]):
            options.append(text[k][3:])
            k += 1
        given = int(text[k].split(": ")[1])
        k += 2
        if wording not in keys[test]:
            continue
        questions += 1
        answered += given != 0
        right += given != 0 and options[given - 1] == keys[test][wording]
    return right, answered, questions


def grade(percent):
    return "5" if percent >= 85 else "4" if percent >= 70 else "3" if percent >= 50 else "2"


def snapshot(folder):
    """Every results file under the class's folder: relative path -> (content, mtime)."""
    files = {}
    for top, _, names in os.walk(folder):
        for name in names:
            if name.lower().endswith(".out"):
                path = os.path.join(top, name)
                with open(path, "rb") as f:
                    files[os.path.relpath(path, folder)] = (f.read(), os.stat(path).st_mtime)
    return files


def moment(text):
    value = datetime.datetime.fromisoformat(text)
    return value.timestamp() if value.tzinfo else value.astimezone().timestamp()


def run_journal(work, csv_dir, keys):
    # The same checks on a PostgreSQL server when one is given.
    db = os.environ.get("EKZAMO_TEST_PG") or os.path.join(work, "journal.sqlite")
    args = [journal, "--db", db, "--class", "9Б",
            "--class-list", os.path.join(work, "data", "9Б.txt"), "--html", os.path.join(work, "j.html"),
            "--csv", csv_dir]
    for t in TESTS:
        args += ["--key", os.path.join(work, "data", "tests", t + ".txt")]
    start = datetime.datetime.now().timestamp()
    run = subprocess.run(args + [os.path.join(work, "data", "9Б")], cwd=work, capture_output=True)
    end = datetime.datetime.now().timestamp()
    stderr = run.stderr.decode("utf-8", "replace")
    print(stderr, end="")
    check(run.returncode in (0, 1), "the journal's exit status %d" % run.returncode)
    tables = []
    for name in ("attempts.csv", "summary.csv"):
        path = os.path.join(csv_dir, name)
        if check(os.path.isfile(path), name + " not written"):
            with open(path, encoding="utf-8", newline="") as f:
                tables.append(list(csv.reader(f)))
        else:
            tables.append([])
    return tables[0], tables[1], stderr, (start - 1, end + 1)


def truthy(text):
    return text.strip().lower() in ("1", "yes", "true", "да")


# What each case's attempts hold beyond what its file says: per attempt,
# the file (relative to the class's folder), the phase whose content it is,
# and the figures and flags the case fixes. Files not named here are one
# attempt each, unflagged.
def cases(phase):
    c = {
        ("Борисов Максим", "informatics"): [dict(phase=1, right=9, flags=set())],
        ("Дмитриев Олег", "algebra"): [dict(phase=1, right=2, answered=5, questions=20, flags={"unfinished"})],
        ("Егорова Софья", "geography"): [dict(phase=1, answered=20, questions=20, flags={"score_only"})],
        ("Жуков Кирилл", "informatics"): [dict(phase=1, right=7, flags=set())],
        # Graded by the key: the four answers she made right in the file stay wrong.
        ("Зайцева Алиса", "geography"): [dict(phase=1, right=8, questions=20, flags={"key_mismatch"})],
        ("Ильин Тимофей", "informatics"): [dict(phase=1, file="Ильин Тимофей/INFORMATICS.OUT", flags=set())],
        # The question whose wording has one space more is not graded.
        ("Орлова Мария", "informatics"): [dict(phase=1, questions=19, flags={"version_mismatch"})],
        ("Григорьев Артём", "geography"): [],
    }
    if phase == 2:
        c[("Борисов Максим", "informatics")].append(
            dict(phase=2, right=16, flags={"changed_after_collection"}))
        c[("Жуков Кирилл", "informatics")].append(
            dict(phase=2, right=17, answered=20, flags={"changed_after_collection"}))
    return c


# A copy or a nested folder is another attempt or left out: either is right,
# the first by time counting.
OPTIONAL = {
    ("Козлов Кирилл", "informatics"): "Козлов Кирилл/informatics (2).out",
    ("Лебедев Матвей", "algebra"): "Лебедев Матвей/первая попытка/algebra.out",
}


def same_file(shown, relative):
    shown = shown.replace("\\", "/")
    return shown == relative or shown.endswith("/" + relative)


def check_phase(phase, attempts, summary, stderr, window, files, class_list, keys):
    tag = "phase %d: " % phase
    if not check(attempts and attempts[0] == ATTEMPT_COLUMNS, tag + "attempts.csv's columns: %r" % attempts[:1]):
        return {}
    rows = {}
    for r in attempts[1:]:
        row = dict(zip(ATTEMPT_COLUMNS, r))
        check(row["class"] == "9Б", tag + "class %r" % row["class"])
        rows.setdefault((row["student"], row["test"]), []).append(row)
    students = class_list + [OFF_LIST]
    check({s for s, _ in rows} <= set(students), tag + "students of no folder or list: %r"
          % sorted({s for s, _ in rows} - set(students)))
    check({t for _, t in rows} == set(TESTS), tag + "tests %r" % sorted({t for _, t in rows}))

    expected_cases = cases(phase)
    for student in students:
        for test in TESTS:
            name = "%s%s, %s" % (tag, student, test)
            got = sorted(rows.get((student, test), []), key=lambda r: int(r["attempt"]))
            want = expected_cases.get((student, test), [dict(phase=1, flags=set())])
            want = [dict(w, file=w.get("file", "%s/%s.out" % (student, test))) for w in want]
            optional = OPTIONAL.get((student, test))
            if optional and len(got) == 2:
                extra = dict(phase=1, file=optional, flags=set())
                # Attempts go by the time written; the nested one is older.
                want = [extra] + want if files[1][optional][1] < files[1][want[0]["file"]][1] else want + [extra]
            if not check(len(got) == len(want), name + ": %d attempts, expected %d" % (len(got), len(want))):
                continue
            for k, (row, w) in enumerate(zip(got, want)):
                what = "%s, attempt %d: " % (name, k + 1)
                content, mtime = files[w["phase"]][w["file"]]
                right, answered, questions = graded(content, keys, test)
                exp = dict(right=right, answered=answered, questions=questions)
                for f in ("right", "answered", "questions"):
                    check(w.get(f, exp[f]) == exp[f], what + "the data: %s %d by the key, the case says %d"
                          % (f, exp[f], w.get(f, 0)))
                check(row["attempt"] == str(k + 1), what + "attempt %r" % row["attempt"])
                check(same_file(row["file"], w["file"]), what + "file %r, expected %r" % (row["file"], w["file"]))
                for f in ("right", "answered", "questions"):
                    # Of a file from another version, the questions answered
                    # may count the one not graded too.
                    ok = [exp[f], exp[f] + 1] if f == "answered" and "version_mismatch" in w["flags"] else [exp[f]]
                    check(row[f] in map(str, ok), what + "%s %r, expected %d" % (f, row[f], exp[f]))
                percent = 100 * exp["right"] / exp["questions"]
                check(abs(float(row["percent"] or "nan") - percent) < 0.051,
                      what + "percent %r, expected %.2f" % (row["percent"], percent))
                check(row["grade"] == grade(percent), what + "grade %r, expected %s" % (row["grade"], grade(percent)))
                flags = set(row["flags"].split())
                check(flags <= FLAGS, what + "unknown flags %r" % row["flags"])
                check(flags == w["flags"], what + "flags %r, expected %r" % (row["flags"], " ".join(sorted(w["flags"]))))
                check(truthy(row["counted"]) == (k == 0), what + "counted %r" % row["counted"])
                try:
                    check(abs(moment(row["written"]) - mtime) < 1,
                          what + "written %s, the file's time %s" % (row["written"],
                          datetime.datetime.fromtimestamp(mtime).isoformat()))
                    collected = moment(row["collected"])
                    if w["phase"] == phase:
                        check(window[0] <= collected <= window[1], what + "collected %s, not during this run"
                              % row["collected"])
                except ValueError:
                    check(False, what + "times not ISO 8601: %r, %r" % (row["written"], row["collected"]))

    # The sheet: one row per student, the counted grade or «н», the average.
    if not check(summary and summary[0][:2] == ["class", "student"] and summary[0][-1] == "average"
                 and sorted(summary[0][2:-1]) == TESTS, tag + "summary.csv's columns %r" % summary[:1]):
        return rows
    header = summary[0]
    sheet = {r[1]: dict(zip(header, r)) for r in summary[1:]}
    check(len(sheet) == len(summary) - 1, tag + "a student twice in summary.csv")
    check(set(sheet) == set(students), tag + "summary.csv's students %r" % sorted(set(sheet) ^ set(students)))
    order = [r[1] for r in summary[1:] if r[1] in class_list]
    russian = sorted(class_list, key=lambda s: s.replace("Ё", "Е").replace("ё", "е"))
    check(order == russian, tag + "students in the order %r" % order)
    for student in students:
        if student not in sheet:
            continue
        row = sheet[student]
        check(row["class"] == "9Б", tag + "summary's class %r" % row["class"])
        grades = []
        for test in TESTS:
            counted = [r for r in rows.get((student, test), []) if truthy(r["counted"])]
            want = counted[0]["grade"] if counted else "н"
            check(row[test] == want, "%s%s, %s: %r in the sheet, expected %r" % (tag, student, test, row[test], want))
            grades += [int(want)] if want.isdigit() else []
        average = sum(grades) / len(grades)
        check(row["average"] and abs(float(row["average"].replace(",", ".")) - average) < 0.051,
              "%s%s: average %r, expected %.2f" % (tag, student, row["average"], average))

    # Named in a warning: the copy, the nested folder, the student off the
    # list, the file that is not results.
    for named in ("informatics (2).out", "первая попытка", OFF_LIST, "черновик.out"):
        check(named in stderr, tag + "no warning names %s" % named)
    return rows


work = tempfile.mkdtemp()
try:
    data = os.path.join(work, "data")
    make = [os.path.join(here, "make-messy-class.sh"), data]
    subprocess.run(make + ["phase1", simulate], check=True)
    class_list = [s for s in lines(os.path.join(data, "9Б.txt")) if s]
    keys = {t: read_key(os.path.join(data, "tests", t + ".txt")) for t in TESTS}
    files = {1: snapshot(os.path.join(data, "9Б"))}
    first = run_journal(work, os.path.join(work, "csv1"), keys)
    rows1 = check_phase(1, *first, files, class_list, keys)

    subprocess.run(make + ["phase2", simulate], check=True)
    files[2] = snapshot(os.path.join(data, "9Б"))
    second = run_journal(work, os.path.join(work, "csv2"), keys)
    rows2 = check_phase(2, *second, files, class_list, keys)
    # Nothing else changed, so nothing else is stored again: the same rows,
    # collected when they were.
    for case, got in rows1.items():
        if case not in (("Борисов Максим", "informatics"), ("Жуков Кирилл", "informatics")):
            check(rows2.get(case) == got, "phase 2: %s, %s changed: %r, was %r" % (case + (rows2.get(case), got)))
finally:
    shutil.rmtree(work)

if failures:
    print("%d failures" % len(failures))
    sys.exit(1)
print("ok")
