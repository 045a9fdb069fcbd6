"""Prints what a workbook holds, as read by openpyxl, one tab-separated fact a line:

sheet  <n>  <name>  <state>
print  <n>  <paper size>  <orientation>  <fit to width>  <print area>
merge  <n>  <range>
cell   <n>  <ref>  <sides with a border, of "LRTB">  <value>   (only cells with a value or a border)

Sheets count from 1. A value is written as the hexadecimal digits of its UTF-8 bytes, so that no
text can break the line.
"""
import sys

import openpyxl


def text(value):
    return "" if value is None else str(value).encode("utf-8").hex()


def sides(cell):
    b = cell.border
    drawn = zip("LRTB", (b.left, b.right, b.top, b.bottom))
    return "".join(letter for letter, side in drawn if side is not None and side.style is not None)


def main(path):
    book = openpyxl.load_workbook(path)
    sys.stdout.reconfigure(encoding="utf-8")
    out = sys.stdout
    for n, sheet in enumerate(book.worksheets, 1):
        out.write(f"sheet\t{n}\t{sheet.title}\t{sheet.sheet_state}\n")
        setup = sheet.page_setup
        area = sheet.print_area or ""
        if isinstance(area, (list, tuple)):
            area = ",".join(area)
        out.write(f"print\t{n}\t{setup.paperSize}\t{setup.orientation}\t{setup.fitToWidth}\t{area}\n")
        for merged in sorted(sheet.merged_cells.ranges, key=lambda r: (r.min_row, r.min_col)):
            out.write(f"merge\t{n}\t{merged.coord}\n")
        for row in sheet.iter_rows():
            for cell in row:
                if cell.__class__.__name__ == "MergedCell":
                    continue
                drawn = sides(cell)
                if cell.value is not None or drawn:
                    out.write(f"cell\t{n}\t{cell.coordinate}\t{drawn}\t{text(cell.value)}\n")


if __name__ == "__main__":
    main(sys.argv[1])
