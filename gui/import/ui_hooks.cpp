#include "gui/import/ui_hooks.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

#include "gui/common/file_dialogs.h"
#include "gui/common/messages.h"

namespace vz::gui {

QString qtFileFilter(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == QLatin1String("*.*")) {
                p = QStringLiteral("*");
            }
        }
        const QString shown = patterns.join(QLatin1Char(' '));
        // A name that already shows its patterns ("Race Files (*.rac)") keeps its own.
        if (parts[i].endsWith(QStringLiteral("(%1)").arg(parts[i + 1]))) {
            filters << parts[i].left(parts[i].lastIndexOf(QLatin1Char('('))) +
                           QStringLiteral("(%1)").arg(shown);
        } else {
            filters << QStringLiteral("%1 (%2)").arg(parts[i], shown);
        }
    }
    return filters.join(QStringLiteral(";;"));
}

QString screenText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

// The real dialogs and boxes are those both programs share.

QString DefaultImportUiHooks::openFile(QWidget* parent, const QString& title, const QString& folder,
                                       const QString& filter) {
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Open;
    request.title = title;
    request.folder = folder;
    request.filter = qtFileFilter(filter);
    return chooseFile(parent, request).value_or(QString());
}

QString DefaultImportUiHooks::saveFile(QWidget* parent, const QString& title, const QString& start,
                                       const QString& filter) {
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Save;
    request.title = title;
    const QFileInfo info(start);
    if (start.endsWith(QLatin1Char('/')) || info.isDir()) {
        request.folder = start;
    } else {
        request.folder = info.path();
        request.fileName = info.fileName();
    }
    request.filter = qtFileFilter(filter);
    // The importer asks its own overwrite question and adds the race file's
    // extension itself.
    request.confirmOverwrite = false;
    return chooseFile(parent, request).value_or(QString());
}

bool DefaultImportUiHooks::askYesNo(QWidget* parent, const QString& title, const QString& text) {
    return vz::gui::askYesNo(parent, title, screenText(text));
}

void DefaultImportUiHooks::inform(QWidget* parent, const QString& title, const QString& text) {
    vz::gui::inform(parent, title, screenText(text), QMessageBox::Information);
}

void DefaultImportUiHooks::warn(QWidget* parent, const QString& title, const QString& text) {
    vz::gui::inform(parent, title, screenText(text), QMessageBox::Critical);
}

}  // namespace vz::gui
