#include "MemoBox.h"

#include "Tahoma.h"

#include <QEvent>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {
// The first line starts at the top edge, as in the target's edit box; a sliver at the sides
// keeps the caret off the frame.
constexpr int SideMargin = 2;
} // namespace

MemoBox::MemoBox(QWidget *parent) : QTextEdit(parent)
{
    setAcceptRichText(false);
    setReadOnly(true);
    // Read-only still lets the reader move the caret, select and copy.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    // Wrapping at the widget's width is the default; setting it again would lay out every text
    // this box is given while its window is still hidden.
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(0);
    m_lineSpacingPending = true;
    // A replaced text comes in blocks without the pitch.
    connect(this, &QTextEdit::textChanged, this, &MemoBox::applyLineSpacingWhenShown);
}

// A hidden box holds its text as given; the line pitch, which needs the font's tables and lays
// every line out again, waits until the box is shown.
void MemoBox::applyLineSpacingWhenShown()
{
    if (m_applyingLineSpacing)
        return;   // the pitch itself changes the document
    if (isVisible())
        applyLineSpacing();
    else
        m_lineSpacingPending = true;
}

void MemoBox::showEvent(QShowEvent *event)
{
    if (m_lineSpacingPending)
        applyLineSpacing();
    QTextEdit::showEvent(event);
}

int MemoBox::lineSpacing() const
{
    return Tahoma::textHeight(font());
}

void MemoBox::changeEvent(QEvent *event)
{
    QTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyLineSpacingWhenShown();
}

// Qt's plain-text layout ignores a block's line height, so the text lives in a rich-text
// document whose every block carries a fixed one. Replacing the text resets the blocks' format.
void MemoBox::applyLineSpacing()
{
    const QScopedValueRollback<bool> applying(m_applyingLineSpacing, true);
    m_lineSpacingPending = false;
    QTextBlockFormat format;
    format.setLineHeight(lineSpacing(), QTextBlockFormat::FixedHeight);
    format.setLeftMargin(SideMargin);
    format.setRightMargin(SideMargin);
    QTextDocument *doc = document();
    const bool modified = doc->isModified();
    QTextCursor all(doc);
    all.select(QTextCursor::Document);
    all.setBlockFormat(format);
    doc->setModified(modified);
}

// The selection as it is stored: Qt's own copy turns no-break spaces into blanks. Line breaks
// become "\n", from which each platform's clipboard writes its own line ends.
QMimeData *MemoBox::createMimeDataFromSelection() const
{
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    auto *data = new QMimeData;
    data->setText(text);
    return data;
}
