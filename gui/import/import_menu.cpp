#include "gui/import/import_menu.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/import/importer_dialog.h"
#include "gui/import/track_info_list.h"
#include "gui/import/ui_hooks.h"

namespace vz::gui {

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
    QLabel::mouseReleaseEvent(event);
}

ImportMenu::ImportMenu(base::AppPaths paths, ImportUiHooks& hooks, QWidget* parent)
    : QDialog(parent), paths_(std::move(paths)), hooks_(hooks) {
    setObjectName(QStringLiteral("ImportMenu"));
    setWindowTitle(QStringLiteral("Vellicor Vovoziruzu Import"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    const std::vector<ImportMenuRow> rows = importMenuRows();
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const ImportMenuRow& row = rows[static_cast<std::size_t>(i)];
        rowFormats_.push_back(row.formatKey);
        auto* button = new QPushButton(this);
        button->setObjectName(row.button);
        button->setFixedSize(22, 22);
        button->setAutoDefault(false);
        auto* label = new ClickableLabel(row.text, this);
        label->setObjectName(row.label);
        label->setCursor(Qt::PointingHandCursor);
        grid->addWidget(button, i, 0);
        grid->addWidget(label, i, 1);
        connect(button, &QPushButton::clicked, this, [this, i] { openImporter(i); });
        connect(label, &ClickableLabel::clicked, this, [this, i] { openImporter(i); });
    }
    auto* trackList = new ClickableLabel(QStringLiteral("Click here for track list"), this);
    trackList->setObjectName(QStringLiteral("lblTrackInfoList"));
    QFont linkFont(QStringLiteral("MS Sans Serif"));
    linkFont.setPointSize(8);
    linkFont.setUnderline(true);
    linkFont.setStyleHint(QFont::SansSerif);
    trackList->setFont(linkFont);
    QPalette linkPalette = trackList->palette();
    linkPalette.setColor(QPalette::WindowText, Qt::blue);
    trackList->setPalette(linkPalette);
    trackList->setCursor(Qt::PointingHandCursor);
    grid->addWidget(trackList, 0, 2);
    grid->setColumnStretch(1, 1);
    connect(trackList, &ClickableLabel::clicked, this, &ImportMenu::openTrackList);

    auto* version = new QLabel(QStringLiteral("Version 1.0.10"), this);
    version->setObjectName(QStringLiteral("Label1"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &ImportMenu::close);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(version);
    bottom->addStretch();
    bottom->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(grid);
    layout->addSpacing(12);
    layout->addLayout(bottom);
    // Five rows in 250 pixels; each further format one row more.
    setFixedSize(400, 125 + 25 * static_cast<int>(rows.size()));

    showFaults(loadRememberedFolders(paths_, folders_));
}

ImportMenu::~ImportMenu() = default;

void ImportMenu::done(int result) {
    // Every way of closing (Close, the close box, Escape) comes through here.
    if (!saved_) {
        saved_ = true;
        showFaults(saveRememberedFolders(paths_, folders_));
    }
    QDialog::done(result);
}

void ImportMenu::showEvent(QShowEvent* event) {
    // Centred on the screen when it first appears.
    if (!placed_ && screen() != nullptr) {
        placed_ = true;
        const QRect area = screen()->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}

void ImportMenu::showFaults(const std::vector<SettingsFault>& faults) {
    for (const SettingsFault& fault : faults) {
        hooks_.inform(this, importAppTitle(),
                      QStringLiteral("%1 - %2").arg(fault.number).arg(fault.description));
    }
}

void ImportMenu::openImporter(int index) {
    if (index < 0 || index >= static_cast<int>(rowFormats_.size())) {
        return;
    }
    const std::string& key = rowFormats_[static_cast<std::size_t>(index)];
    std::vector<ImporterDescription> descriptions = importerDescriptions(folders_);
    const auto it = std::find_if(descriptions.begin(), descriptions.end(),
                                 [&](const ImporterDescription& d) { return d.formatKey == key; });
    if (it == descriptions.end()) {
        return;
    }
    ImporterDialog dialog(std::move(*it), paths_, base::today(), hooks_, this);
    if (!dialog.prepare()) {
        return;
    }
    if (onImporterReady) {
        onImporterReady(dialog);
    }
    dialog.exec();
}

void ImportMenu::openTrackList() {
    TrackInfoList list(this);
    list.exec();
}

}  // namespace vz::gui
