#include "app/QtDialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpacerItem>
#include <QStandardPaths>

namespace {

QMessageBox::Icon qtIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Button captions as the suite's Windows boxes show them on a Japanese system.
QString caption(int result) {
    switch (result) {
    case MsgCancel:
        return QStringLiteral("キャンセル");
    case MsgYes:
        return QStringLiteral("はい(&Y)");
    case MsgNo:
        return QStringLiteral("いいえ(&N)");
    default:
        return QStringLiteral("OK");
    }
}

QMessageBox::StandardButton qtButton(int result) {
    switch (result) {
    case MsgCancel:
        return QMessageBox::Cancel;
    case MsgYes:
        return QMessageBox::Yes;
    case MsgNo:
        return QMessageBox::No;
    default:
        return QMessageBox::Ok;
    }
}

int resultOf(int button) {
    switch (button) {
    case QMessageBox::Cancel:
        return MsgCancel;
    case QMessageBox::Yes:
        return MsgYes;
    case QMessageBox::No:
        return MsgNo;
    default:
        return MsgOk;
    }
}

} // namespace

int QtDialogs::messageBox(const MessageRequest& request) {
    QMessageBox box(qtIcon(request.icon), request.title, request.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    QList<int> results;
    switch (request.buttons) {
    case MsgButtons::Ok:
        results = {MsgOk};
        break;
    case MsgButtons::OkCancel:
        results = {MsgOk, MsgCancel};
        break;
    case MsgButtons::YesNo:
        results = {MsgYes, MsgNo};
        break;
    case MsgButtons::YesNoCancel:
        results = {MsgYes, MsgNo, MsgCancel};
        break;
    }
    for (int r : results)
        box.addButton(qtButton(r))->setText(caption(r));
    const int def = results.contains(request.defaultButton) ? request.defaultButton : results.first();
    box.setDefaultButton(qtButton(def));
    // A short text makes a narrow box, and the window manager then cuts its title ("P…"): the box is
    // made as wide as its title with the buttons of the frame beside it.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        QFont titleFont = box.font();
        titleFont.setBold(true);
        const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(request.title) + 160;
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    // Escape answers Cancel where there is one, else No for Yes/No boxes, else OK.
    if (results.contains(MsgCancel))
        box.setEscapeButton(QMessageBox::Cancel);
    else if (request.buttons == MsgButtons::YesNo)
        box.setEscapeButton(QMessageBox::No);
    else
        box.setEscapeButton(QMessageBox::Ok);
    const int answer = box.exec();
    return resultOf(answer);
}

QString QtDialogs::saveFileName(const SaveFileRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), request.title, request.proposedName, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.confirmOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (request.selectedFilter && !request.selectedFilter->isEmpty())
        dialog.selectNameFilter(*request.selectedFilter);
    // A name typed without an extension gets the filter's, before the overwrite question is asked
    // about it.
    const auto suffixOf = [](const QString& filter) {
        static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
        const QRegularExpressionMatch m = pattern.match(filter);
        return m.hasMatch() ? m.captured(1).toLower() : QString();
    };
    dialog.setDefaultSuffix(suffixOf(dialog.selectedNameFilter()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, suffixOf](const QString& f) { dialog.setDefaultSuffix(suffixOf(f)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    if (request.selectedFilter) *request.selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().first();
}

QString QtDialogs::openFileName(const SaveFileRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), request.title, request.proposedName, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
}

bool QtDialogs::startProgram(const ProgramStart& start, QString* error) {
    QString program = start.program;
    QStringList args = start.args;
    if (program.isEmpty() && !start.commandLine.isEmpty()) {
        args = QProcess::splitCommand(start.commandLine);
        if (!args.isEmpty()) program = args.takeFirst();
    }
    const bool found =
        !program.isEmpty() && (program.contains(u'/') ? QFileInfo(program).isFile()
                                                      : !QStandardPaths::findExecutable(program).isEmpty());
    if (!found) {
        if (error) *error = QStringLiteral("指定されたファイルが見つかりません。");
        return false;
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    if (process.startDetached()) return true;
    if (error) {
        const QFileInfo info(program);
        if (info.isFile() && !info.isExecutable())
            *error = QStringLiteral("アクセスが拒否されました。");
        else
            *error = process.errorString();
    }
    return false;
}

void QtDialogs::keepText(const QString& text) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (QClipboard* clip = QGuiApplication::clipboard()) {
            clip->setText(text);
            return;
        }
    }
    DialogSeam::keepText(text);
}

void installQtDialogs() {
    static QtDialogs seam;
    setDialogs(&seam);
}
