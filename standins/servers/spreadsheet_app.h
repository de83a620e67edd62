// The spreadsheet application ("Excel.Application") as an automation object:
// workbooks of one worksheet whose cells take values, number formats (also
// the local names, "G/通用格式" is the general format) and fonts, saved as
// real .xls files. Like the application, a text put into a cell that is not
// formatted as text ("@") and reads as a number becomes a number.
//
// Application: Visible, SheetsInNewWorkbook, Workbooks (Add, Count, Item),
// ActiveWorkbook, ActiveSheet, Selection, ActiveCell, Quit.
// Workbook: ActiveSheet, SaveAs(file name), FullName, Close.
// Worksheet: Name, Cells(row, column) counted from 1 (read for the cell,
// written for its value).
// Cell: Value (the default), NumberFormat, NumberFormatLocal, Font, Select.
// Font: Name, Size, Bold, Italic, FontStyle, Underline, Strikethrough,
// Color, ColorIndex.
//
// Without a desktop the window cannot be shown: making the application
// visible opens each saved workbook's file through the desktop launcher.
#pragma once
#include <memory>

#include "platform/automation/dispatch.h"

namespace standin {

std::shared_ptr<plat::Dispatch> CreateSpreadsheetApplication();

}  // namespace standin
