#include "gui/import/track_info_list.h"

#include <QFont>
#include <QShowEvent>
#include <QStringList>
#include <QTextEdit>
#include <QVBoxLayout>

namespace vz::gui {

namespace {

struct TrackLine {
    const char* name;
    const char* hint;  // empty when the track needs none
    const char* address;
};

// Informational only: nothing reads these addresses.
constexpr TrackLine kTracks[] = {
    {"Apache", "", "http://www.apache-greyhounds.example/programs/"},
    {"Daytona Beach", "", "http://www.trackinfo.example/programs/daytona-beach/"},
    {"Hinsdale", "", "http://www.trackinfo.example/programs/hinsdale/"},
    {"Mardi Gras (Hollywood)", "", "http://www.trackinfo.example/programs/mardi-gras/"},
    {"Melbourne", "", "http://www.trackinfo.example/programs/melbourne/"},
    {"Orange Park (include Jacksonville and St. Johns)", "use the 'R' text files",
     "http://www.orangepark-kennel.example/programs/"},
    {"Palm Beach", "use the 'R' text files", "http://www.palmbeach-kennel.example/programs/"},
    {"Phoenix", "", "http://www.trackinfo.example/programs/phoenix/"},
    {"Raynham/Taunton", "", "http://www.trackinfo.example/programs/raynham-taunton/"},
    {"Southland", "", "http://www.trackinfo.example/programs/southland/"},
    {"Tri-State", "", "http://www.trackinfo.example/programs/tri-state/"},
    {"Tucson", "", "http://www.trackinfo.example/programs/tucson/"},
    {"Twin River (Lincoln)", "", "http://www.trackinfo.example/programs/twin-river/"},
    {"Wheeling Downs", "", "http://www.trackinfo.example/programs/wheeling-downs/"},
    {"Wonderland", "", "http://www.trackinfo.example/programs/wonderland/"},
};

}  // namespace

QString trackListText() {
    QStringList lines;
    lines << QStringLiteral(
                 "Not every track linked on the TrackInfo web site publishes its programs in "
                 "the TrackInfo layout. The tracks below do. Further tracks are added from time "
                 "to time; if a track you need is missing from the list, ask whether it is "
                 "supported.")
          << QString()
          << QStringLiteral(
                 "Copy the web links from the list below and paste into the address line of your "
                 "web browser.")
          << QString()
          << QStringLiteral("Always use the 'Text' or 'HTML' files, never the PDF files")
          << QString();
    for (const TrackLine& t : kTracks) {
        QString line = QString::fromUtf8(t.name) + QStringLiteral(" - ");
        if (*t.hint != '\0') {
            line += QString::fromUtf8(t.hint) + QStringLiteral(" - ");
        }
        lines << line + QString::fromUtf8(t.address);
    }
    return lines.join(QLatin1Char('\r'));
}

TrackInfoList::TrackInfoList(QWidget* parent) : QDialog(parent), txtList_(new QTextEdit(this)) {
    setObjectName(QStringLiteral("TrackInfoList"));
    setWindowTitle(QStringLiteral("TrackInfo Track List"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    txtList_->setObjectName(QStringLiteral("txtList"));
    txtList_->setReadOnly(true);
    txtList_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtList_->setLineWrapMode(QTextEdit::WidgetWidth);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.5);
    font.setStyleHint(QFont::SansSerif);
    txtList_->setFont(font);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(txtList_);
    setFixedSize(560, 400);
    rebuild();
}

QString TrackInfoList::shownText() const {
    return txtList_->toPlainText();
}

void TrackInfoList::showEvent(QShowEvent* event) {
    // Rebuilt from scratch on each opening, whatever was done to it before.
    rebuild();
    QDialog::showEvent(event);
}

void TrackInfoList::rebuild() {
    QString text = trackListText();
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    txtList_->setPlainText(text);
}

}  // namespace vz::gui
