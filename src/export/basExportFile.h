#pragma once

#include <QString>

struct SaveFileRequest;

// What the file exports (PDF, CSV, Excel) share: the run-time error numbers and texts the user
// knows from the suite's other programs, and the checks of a target before anything is written.

inline constexpr int kExportInvalidCall = 5; // nothing to export, a text the encoding cannot hold
inline constexpr int kExportDeviceIo = 57;
inline constexpr int kExportPermissionDenied = 70;
inline constexpr int kExportBadFileName = 75;
inline constexpr int kExportPathNotFound = 76;

// "text (path)".
QString fnExportErrorText(const QString& text, const QString& path);

// A name that can become a file: not blank, its folder there, not itself a folder, not the suite's
// database or one of its journals. False with the error's number and description.
bool fnCheckExportTarget(const QString& fileName, int* number, QString* description);

// A name typed without an extension gets `extension`, so a double click opens the file; a folder's
// name and "" (cancelled) are left alone, so the error box says what went wrong.
QString fnWithExtension(const QString& fileName, const QString& extension);

// The save dialog of an export: it opens in the folder the user saved to last (while it can still be
// written) or his documents folder, never the program's folder, which may be read-only or shared;
// ask.proposedName is the bare name. The chosen name gets `extension` as above, and its folder is
// remembered for the next export. "" when the user cancelled.
QString fnAskExportFile(SaveFileRequest ask, const QString& extension);
// The folder that dialog opens in.
QString fnExportFolder();

// A proposed file name made of what a table holds (codes may carry '/' or other characters a file
// name cannot): such characters become '_'.
QString fnSafeFileTitle(const QString& title);

// The texts of the errors above.
QString fnExportPermissionText(const QString& fileName);
QString fnExportDeviceIoText(const QString& fileName);
