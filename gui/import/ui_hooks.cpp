#include "gui/import/ui_hooks.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

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
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(QLatin1Char(' ')));
    }
    return filters.join(QStringLiteral(";;"));
}

QString screenText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QString DefaultImportUiHooks::openFile(QWidget* parent, const QString& title, const QString& folder,
                                       const QString& filter) {
    QFileDialog dialog(parent, title, folder, qtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

QString DefaultImportUiHooks::saveFile(QWidget* parent, const QString& title, const QString& start,
                                       const QString& filter) {
    QFileDialog dialog(parent, title, start, qtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The importer asks its own overwrite question, and the name is used as
    // typed: no extension is added.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

bool DefaultImportUiHooks::askYesNo(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::question(parent, title, screenText(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void DefaultImportUiHooks::inform(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::information(parent, title, screenText(text), QMessageBox::Ok);
}

void DefaultImportUiHooks::warn(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::critical(parent, title, screenText(text), QMessageBox::Ok);
}

}  // namespace vz::gui
