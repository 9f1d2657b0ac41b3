#pragma once

#include <QTextEdit>

class QMimeData;

// A read-only multi-line text box that lays its lines out the way the target platform does:
// one line every Tahoma::textHeight(font()) pixels, wrapped at spaces, the vertical bar always
// there. No-break spaces stay in the text and on the clipboard.
class MemoBox : public QTextEdit
{
    Q_OBJECT
public:
    explicit MemoBox(QWidget *parent = nullptr);

    // Replaces the whole text and shows it from its first line with the caret at the start.
    // Hides QTextEdit::setPlainText, which would drop the line pitch: set the text through MemoBox.
    void setPlainText(const QString &text);

    int lineSpacing() const;

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    void applyLineSpacing();
    void applyLineSpacingWhenShown();

    bool m_lineSpacingPending = false;
};
