"""The workbooks zkvbench times, made by openpyxl on the same templates with the same cells, to set
the report library's figures beside another writer's in the same run.

Usage: openpyxl_bench.py <template folder> <archive rows> <runs>
Prints two lines, "archive <best> <median>" and "protocol <best> <median>", in seconds.

Each run loads the template, makes the rows, writes every text, and saves the workbook, as the report
library does from its call to the written file. Rows are made with one insert of openpyxl (the
fastest way it has), given the copied row's styles and height, with the merges below moved down.
"""
import copy
import os
import sys
import tempfile
import time

import openpyxl

POINTS = 40
TEMPLATE_POINT_ROWS = 10
FIRST_POINT_ROW = 32
HEADER_CELLS = ["A4", "C6", "E7", "C8", "C9", "F10", "A15", "C15", "D15", "E15", "F15", "H15", "I15",
                "J15", "D18", "D19", "D20", "B31", "C31", "D31", "F31"]
POINT_COLUMNS = [2, 3, 4, 5, 6, 8]  # the verification protocol's: B, C, D, E, F and H
FOOTER_CELLS = ["A44", "B47", "G47"]


def insert_copies(sheet, row, count):
    """count copies of the row's formats inserted below it, everything further down moved."""
    below = row + 1
    moved = [m for m in sheet.merged_cells.ranges if m.min_row >= below]
    sheet.insert_rows(below, count)
    for merge in moved:
        merge.shift(0, count)
    height = sheet.row_dimensions[row].height
    styled = [(cell.column, cell._style) for cell in sheet[row] if cell.has_style]
    for r in range(below, below + count):
        if height is not None:
            sheet.row_dimensions[r].height = height
        for column, style in styled:
            sheet.cell(r, column)._style = copy.copy(style)


def archive(template, rows, out):
    book = openpyxl.load_workbook(template)
    sheet = book.worksheets[0]
    if rows > 3:
        insert_copies(sheet, 6, rows - 3)
    elif rows < 3:
        sheet.delete_rows(6, 1 if rows == 2 else 2)
    sheet["H2"] = "Архив ЗКВ от 05.03.2024"
    for i in range(rows):
        texts = [str(i + 1), "%d/%d/2024  %d:%d:%d" % (1 + i % 28, 1 + i % 12, i % 24, i % 60, i % 60),
                 "21.5000", "кПа"] + ["%.4f" % (i * 0.25 + k) for k in range(13)]
        for j, text in enumerate(texts):
            sheet.cell(5 + i, 2 + j, text)
    sheet.print_area = "B2:R%d" % (4 + max(rows, 1))
    book.save(out)


def protocol(template, out):
    book = openpyxl.load_workbook(template)
    for c, sheet in enumerate(book.worksheets):
        for k, ref in enumerate(HEADER_CELLS):
            sheet[ref] = "header %d" % k
        for ref, text in zip(FOOTER_CELLS, ["verdict of channel %d" % (c + 1), "2024.03.05", "verifier"]):
            sheet[ref] = text
        sheet.title = "%07d" % (1000 + c)
        insert_copies(sheet, FIRST_POINT_ROW, POINTS - TEMPLATE_POINT_ROWS)
        for p in range(POINTS):
            for k, column in enumerate(POINT_COLUMNS):
                sheet.cell(FIRST_POINT_ROW + p, column, "%.4f" % (p * 2.5 + k))
        sheet.print_area = "A1:J%d" % (48 + POINTS - TEMPLATE_POINT_ROWS)
    book.save(out)


def timed(runs, make):
    seconds = []
    for _ in range(runs):
        start = time.perf_counter()
        make()
        seconds.append(time.perf_counter() - start)
    seconds.sort()
    return seconds[0], seconds[len(seconds) // 2]


def main(folder, rows, runs):
    with tempfile.TemporaryDirectory(prefix="zkvbench-openpyxl-") as scratch:
        out = os.path.join(scratch, "out.xlsx")
        best, median = timed(runs, lambda: archive(os.path.join(folder, "Архив ЗКВ.xlsx"), rows, out))
        print("archive %.6f %.6f" % (best, median))
        best, median = timed(runs, lambda: protocol(os.path.join(folder, "Протокол поверки ДД.xlsx"), out))
        print("protocol %.6f %.6f" % (best, median))


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]), int(sys.argv[3]))
