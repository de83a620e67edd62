// The host's read-only description of its windows for a driver outside the
// process (the clerk road test works the form by the window system's input
// only): with KTRB_WIDGET_DUMP naming a file, the host rewrites that file a
// few times a second with every shown window and control, its place on the
// screen, whether it has the focus and its text. Nothing in the forms is
// changed or called but their read accessors.
#pragma once
#include <string>

namespace standin {

// The description as text, one line per window or control (fields separated
// by tabs; tabs and line breaks inside texts become blanks):
//   tick <n>   (counts the descriptions: the host has gone round its loop)
//   form <name> <class> <caption> <active 0/1> <x> <y> <w> <h> <window id>
//   ctl <form> <name> <class> <x> <y> <w> <h> <enabled 0/1> <focused 0/1> <text>
//   grid <form> <name> <selected field> <row> <its text> <rows of its data>
//   row <form> <grid> <field> <text>   (the grid's current row, shown columns)
//   win <title> <texts of its labels> <x> <y> <w> <h> <active 0/1>
//       <focused widget's class> <focused line's text> <window id> <modal 0/1>
//                                       (Qt's own windows: look-ups, boxes)
std::string DescribeWindows();

// Starts the periodic dump when KTRB_WIDGET_DUMP is set; does nothing else.
// A file beside it named "<dump>.shot" asks for a picture of the screen: it
// holds the PNG's path and is removed once the picture is written.
void StartWidgetDump();

}  // namespace standin
