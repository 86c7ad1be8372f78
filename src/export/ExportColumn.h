#pragma once

#include <QString>

// One column of a table export (CSV, Excel): its caption, the Detail control whose printed text
// fills it (reports only), and what the text stands for, so a sheet gets numbers it can add up and
// dates it can sort.
struct ExportColumn {
    enum class Kind {
        Text,   // written as text, as shown (a code keeps the leading blanks it is printed with)
        Number, // the shown text read back as a number; format: the sheet's number format
        Date    // "yyyy/mm/dd" as shown; format: the sheet's date format
    };
    QString caption;
    QString control;
    Kind kind = Kind::Text;
    QString format; // Excel number format, e.g. "#,##0", "#,##0.00", "yyyy/mm/dd"
};
