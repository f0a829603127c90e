// SPDX-License-Identifier: MIT
// What libxlsxwriter alone takes to write an answers matrix like the
// journal's, as the journal writes it (constant-memory mode, a number cell
// of one of three formats for each answer, a name and a total for each
// student), so that the journal's own time can be told from the library's.
//
//   bench_xlsx_matrix STUDENTS QUESTIONS OUT.xlsx
//
// Prints the wall time in milliseconds, from the workbook's creation to
// its closing.
#include <xlsxwriter.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_xlsx_matrix STUDENTS QUESTIONS OUT.xlsx\n");
        return 2;
    }
    const int students = std::atoi(argv[1]);
    const int questions = std::atoi(argv[2]);
    const auto start = std::chrono::steady_clock::now();

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(argv[3], &options);
    if (!book)
        return 1;
    lxw_format* marks[3];
    for (lxw_format*& f : marks)
        f = workbook_add_format(book);
    format_set_bg_color(marks[0], 0xFFC7CE);
    format_set_bg_color(marks[1], 0xC6EFCE);
    format_set_bg_color(marks[2], 0xF2F2F2);
    lxw_worksheet* sheet = workbook_add_worksheet(book, "matrix");
    unsigned seed = 15;
    for (int s = 0; s < students; ++s) {
        const std::string name = "student" + std::to_string(s + 1);
        worksheet_write_string(sheet, lxw_row_t(s), 0, name.c_str(), nullptr);
        int right = 0;
        for (int q = 0; q < questions; ++q) {
            seed = seed * 1103515245 + 12345;
            const int kind = int(seed >> 16) % 3;
            right += kind == 1;
            worksheet_write_number(sheet, lxw_row_t(s), lxw_col_t(q + 1), kind == 1, marks[kind]);
        }
        worksheet_write_number(sheet, lxw_row_t(s), lxw_col_t(questions + 1), right, nullptr);
    }
    if (workbook_close(book) != LXW_NO_ERROR)
        return 1;

    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("%.1f\n", took.count());
    return 0;
}
