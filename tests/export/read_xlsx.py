"""Prints every cell of a workbook as openpyxl reads it, one sheet a block:
a line "# name" and then one line per row, cells separated by tabs, each as
kind:value (n number, with |format unless General; s text; d date; t time)."""
import datetime
import sys

import openpyxl


def cell_text(cell):
    value = cell.value
    if value is None:
        return ""
    if isinstance(value, datetime.datetime):
        return "d:" + value.strftime("%Y-%m-%d")
    if isinstance(value, datetime.time):
        return "t:" + value.strftime("%H:%M")
    if isinstance(value, (int, float)):
        text = "n:" + repr(value)
        return text if cell.number_format == "General" else text + "|" + cell.number_format
    return "s:" + str(value)


book = openpyxl.load_workbook(sys.argv[1], read_only=True)
for sheet in book.worksheets:
    print("# " + sheet.title)
    for row in sheet.iter_rows():
        print("\t".join(cell_text(cell) for cell in row).rstrip("\t"))
