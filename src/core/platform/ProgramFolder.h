#pragma once

#include <QString>

// The folder that holds the running executable and every file the program keeps beside it.
namespace ProgramFolder {

// Absolute folder of the running executable, without a trailing separator.
QString path();

// Joins the folder with a file name written as "\confignew.ini" or "skin/UL_N.bmp": backslashes
// are path separators and a leading separator is optional.
QString file(const QString& folder, const QString& name);

}  // namespace ProgramFolder
