#include "gui/common/text_viewer.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QBuffer>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/base/fileio.h"
#include "core/base/text.h"
#include "gui/common/file_dialogs.h"
#include "gui/common/messages.h"
#include "gui/common/qt_setup.h"
#include "gui/common/screen_place.h"

namespace vz::gui {

namespace {

// The report text, with a dashed rule drawn over every page break: the
// document keeps the break for printing, the screen shows where it falls.
class ReportEdit : public QTextEdit {
  public:
    using QTextEdit::QTextEdit;

  protected:
    void paintEvent(QPaintEvent* event) override {
        QTextEdit::paintEvent(event);
        QPainter painter(viewport());
        QPen pen(palette().color(QPalette::Mid));
        pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        const QPoint offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
        QAbstractTextDocumentLayout* layout = document()->documentLayout();
        for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
            if (!(b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore))
                continue;
            const QRectF r = layout->blockBoundingRect(b).translated(-offset);
            const int y = static_cast<int>(r.top()) - 1;
            if (y < 0 || y > viewport()->height())
                continue;
            painter.drawLine(0, y, viewport()->width(), y);
        }
    }
};

}  // namespace

TextViewer::TextViewer(QWidget* parent) : QMainWindow(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);

    edit_ = new ReportEdit(central);
    edit_->setReadOnly(true);
    edit_->setLineWrapMode(QTextEdit::NoWrap);
    edit_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    edit_->setObjectName(QStringLiteral("txtReport"));
    layout->addWidget(edit_);

    findBar_ = new QWidget(central);
    auto* findLayout = new QHBoxLayout(findBar_);
    findLayout->setContentsMargins(4, 2, 4, 2);
    findLayout->addWidget(new QLabel(tr("Find:"), findBar_));
    findField_ = new QLineEdit(findBar_);
    findField_->setObjectName(QStringLiteral("txtFind"));
    findLayout->addWidget(findField_, 1);
    auto* next = new QPushButton(tr("Find &Next"), findBar_);
    findLayout->addWidget(next);
    findStatus_ = new QLabel(findBar_);
    findLayout->addWidget(findStatus_);
    layout->addWidget(findBar_);
    findBar_->hide();
    auto doFind = [this] {
        findStatus_->setText(findNext(findField_->text()) ? QString() : tr("Not found"));
    };
    connect(next, &QPushButton::clicked, this, doFind);
    connect(findField_, &QLineEdit::returnPressed, this, doFind);

    setCentralWidget(central);

    QMenu* fileMenu = menuBar()->addMenu(tr("&File"));
    QAction* printAction = fileMenu->addAction(tr("&Print..."), this, &TextViewer::print);
    printAction->setShortcut(QKeySequence::Print);
    fileMenu->addAction(tr("Save as P&DF..."), this, &TextViewer::saveAsPdfDialog);
    fileMenu->addSeparator();
    QAction* closeAction = fileMenu->addAction(tr("&Close"), this, &QWidget::close);
    closeAction->setShortcut(QKeySequence::Close);
    QMenu* editMenu = menuBar()->addMenu(tr("&Edit"));
    QAction* copyAction = editMenu->addAction(tr("&Copy"), edit_, &QTextEdit::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    QAction* findAction = editMenu->addAction(tr("&Find..."), this, &TextViewer::showFind);
    findAction->setShortcut(QKeySequence::Find);
    QAction* againAction = editMenu->addAction(tr("Find &Again"), this, doFind);
    againAction->setShortcut(QKeySequence::FindNext);

    resize(760, 600);
}

TextViewer* TextViewer::showFile(const std::filesystem::path& file, QWidget* parent) {
    auto* viewer = new TextViewer(parent);
    viewer->setWindowFlag(Qt::Window, true);
    try {
        viewer->loadFile(file);
    } catch (...) {
        delete viewer;
        throw;
    }
    // On the opener's screen, a step from its corner: never behind it, never
    // off the edge, larger where the screen has room.
    sizeForScreen(viewer, viewer->size(), parent);
    placeBeside(viewer, parent);
    viewer->show();
    bringToFront(viewer);
    return viewer;
}

void TextViewer::loadFile(const std::filesystem::path& file) {
    const std::string text = base::decodeText(base::readFile(file));
    file_ = file;
    setText(QString::fromStdString(text), qpath(file.filename()));
}

void TextViewer::setText(const QString& text, const QString& title) {
    setWindowTitle(title);
    QTextDocument* doc = edit_->document();
    doc->clear();
    doc->setDefaultFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QTextCursor cursor(doc);
    const std::vector<std::string> lines = base::splitLines(text.toStdString());
    bool first = true;
    bool breakBefore = false;
    for (const std::string& raw : lines) {
        QString line = QString::fromStdString(raw);
        if (line.contains(QChar(u'\f'))) {
            // A form feed starts a new page; the rest of its line follows it.
            line.remove(QChar(u'\f'));
            breakBefore = true;
            if (line.isEmpty())
                continue;
        }
        if (!first)
            cursor.insertBlock();
        QTextBlockFormat format;
        if (breakBefore)
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        cursor.setBlockFormat(format);
        cursor.insertText(line);
        first = false;
        breakBefore = false;
    }
    edit_->moveCursor(QTextCursor::Start);
}

QTextDocument* TextViewer::document() const {
    return edit_->document();
}

QString TextViewer::plainText() const {
    QString out;
    for (QTextBlock b = edit_->document()->begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            out += QStringLiteral("\f\n");
        out += b.text();
        out += QChar(u'\n');
    }
    return out;
}

int TextViewer::pageBreakCount() const {
    int count = 0;
    for (QTextBlock b = edit_->document()->begin(); b.isValid(); b = b.next())
        if (b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            ++count;
    return count;
}

bool TextViewer::findNext(const QString& what) {
    if (what.isEmpty())
        return false;
    if (edit_->find(what))
        return true;
    // Wrap once to the top.
    QTextCursor saved = edit_->textCursor();
    edit_->moveCursor(QTextCursor::Start);
    if (edit_->find(what))
        return true;
    edit_->setTextCursor(saved);
    return false;
}

void TextViewer::showFind() {
    findBar_->show();
    findField_->setFocus();
    findField_->selectAll();
}

void TextViewer::print() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(tr("Print"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    edit_->document()->print(&printer);
}

void TextViewer::saveAsPdf(const QString& pdfPath) {
    // The pages are made in memory and the file is written whole, so that a
    // save that fails leaves no half file behind and says why.
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setPageLayout(QPrinter(QPrinter::HighResolution).pageLayout());
        pdf.setTitle(windowTitle());
        edit_->document()->print(&pdf);
    }
    base::writeFileAtomic(
        fspath(pdfPath),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), "PDF file");
}

void TextViewer::saveAsPdfDialog() {
    QString proposed = windowTitle();
    const qsizetype dot = proposed.lastIndexOf(QChar(u'.'));
    if (dot > 0)
        proposed = proposed.left(dot);
    const QString folder = file_.empty() ? QString() : qpath(file_.parent_path());
    auto chosen = chooseFile(this, {.mode = FileDialogRequest::Mode::Save,
                                    .title = tr("Save as PDF"),
                                    .folder = folder,
                                    .filter = tr("PDF Files (*.pdf)"),
                                    .fileName = proposed + QStringLiteral(".pdf"),
                                    .confirmOverwrite = true,
                                    .defaultSuffix = QStringLiteral("pdf")});
    if (!chosen)
        return;
    QString path = *chosen;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    try {
        saveAsPdf(path);
    } catch (const std::exception& e) {
        showCommonError(this, e);
    }
}

}  // namespace vz::gui
