#include "gui/vovoziruzu/info_windows.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSysInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "core/base/error.h"
#include "core/base/fileio.h"
#include "core/base/rtf_text.h"
#include "core/base/text.h"
#include "core/base/version.h"
#include "gui/common/messages.h"
#include "gui/common/qt_setup.h"

namespace vz::gui {

HelpWindow::HelpWindow(const std::filesystem::path& page, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    base::readFile(page);  // a missing page is reported before a window opens
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(true);
    browser_->setSource(QUrl::fromLocalFile(qpath(page)));
    setCentralWidget(browser_);
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Vellicor Vovoziruzu Online Help") : title);
    resize(720, 640);
}

QString systemInformation(const base::AppPaths& paths) {
    return QStringLiteral(
               "Vellicor Vovoziruzu %1\n\n"
               "Operating system: %2\n"
               "Kernel: %3 %4\n"
               "Processor: %5\n"
               "Qt version: %6\n\n"
               "Application folder: %7\n"
               "Results folder: %8\n")
        .arg(qs(std::string(programVersion())), QSysInfo::prettyProductName(),
             QSysInfo::kernelType(), QSysInfo::kernelVersion(), QSysInfo::currentCpuArchitecture(),
             QString::fromLatin1(qVersion()), qpath(paths.appDir), qpath(paths.resultsDir()));
}

namespace {

QDialog* makeTextDialog(QWidget* parent, const QString& title, const QString& html,
                        const char* name) {
    auto* dialog = new QDialog(parent);
    dialog->setObjectName(QString::fromLatin1(name));
    dialog->setWindowTitle(title);
    auto* layout = new QVBoxLayout(dialog);
    auto* label = new QLabel(html, dialog);
    label->setWordWrap(true);
    label->setTextFormat(Qt::RichText);
    label->setMinimumWidth(380);
    layout->addWidget(label);
    return dialog;
}

}  // namespace

QDialog* createAboutDialog(QWidget* parent, const base::AppPaths& paths) {
    QDialog* dialog = makeTextDialog(
        parent, QStringLiteral("About Vellicor Vovoziruzu"),
        QStringLiteral("<h3>Vellicor Vovoziruzu</h3><p>Version %1</p>"
                       "<p>A handicapping tool for greyhound racing: it keeps a database of "
                       "dogs and their past races, builds race cards, and rates every dog of a "
                       "card from its eight most recent races into a plain-text results "
                       "report.</p>"
                       "<p>The ratings are an aid to your own judgement; they promise no "
                       "winnings.</p>")
            .arg(qs(std::string(programVersion()))),
        "frmAbout");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
    QPushButton* info =
        buttons->addButton(QStringLiteral("&System Info..."), QDialogButtonBox::ActionRole);
    info->setObjectName(QStringLiteral("cmdSysInfo"));
    QObject::connect(info, &QPushButton::clicked, dialog, [dialog, paths] {
        inform(dialog, QStringLiteral("System Information"), systemInformation(paths));
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    dialog->layout()->addWidget(buttons);
    return dialog;
}

void showAboutDialog(QWidget* parent, const base::AppPaths& paths) {
    QDialog* dialog = createAboutDialog(parent, paths);
    dialog->exec();
    delete dialog;
}

QDialog* createTechSupportDialog(QWidget* parent) {
    QDialog* dialog = makeTextDialog(
        parent, QStringLiteral("Technical Support"),
        QStringLiteral("<h3>Technical Support</h3>"
                       "<p>When something goes wrong, note the exact message and its number, "
                       "and what you did just before it.</p>"
                       "<p>Most problems come from the data files: check that "
                       "<tt>Data/Data.mdb</tt>, <tt>Static.mdb</tt> and "
                       "<tt>RaceTemplate.tmp</tt> are in the program's folder, and keep a "
                       "copy of <tt>Data/Data.mdb</tt> before large imports or deletions.</p>"
                       "<p>If processing stops with a list of missing dogs, open "
                       "<tt>Error.txt</tt>: each dog named there must be added or imported "
                       "first.</p>"
                       "<p>The help page (Help Topics, F1) describes every command.</p>"),
        "frmTechSupport");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    dialog->layout()->addWidget(buttons);
    return dialog;
}

void showTechSupportDialog(QWidget* parent) {
    QDialog* dialog = createTechSupportDialog(parent);
    dialog->exec();
    delete dialog;
}

QDialog* createLicenseDialog(QWidget* parent, const std::filesystem::path& licenseFile) {
    const std::string text = base::rtfToPlainText(base::decodeText(base::readFile(licenseFile)));
    auto* dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("frmLicense"));
    dialog->setWindowTitle(QStringLiteral("Software License"));
    auto* layout = new QVBoxLayout(dialog);
    auto* edit = new QPlainTextEdit(dialog);
    edit->setObjectName(QStringLiteral("rtfLicense"));
    edit->setReadOnly(true);
    edit->setPlainText(qs(text));
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog->resize(560, 460);
    return dialog;
}

void showLicenseDialog(QWidget* parent, const std::filesystem::path& licenseFile) {
    QDialog* dialog = nullptr;
    try {
        dialog = createLicenseDialog(parent, licenseFile);
    } catch (const std::exception& e) {
        showCommonError(parent, e);
        return;
    }
    dialog->exec();
    delete dialog;
}

}  // namespace vz::gui
