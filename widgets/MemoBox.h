#pragma once

#include <QTextEdit>

class QMimeData;

// A read-only multi-line text box that lays its lines out the way the target platform does:
// one line every Tahoma::textHeight(font()) pixels, wrapped at spaces, the vertical bar always
// there. No-break spaces stay in the text and on the clipboard. However its text is replaced
// (setPlainText() through any pointer, its user property, the document itself), the new lines
// take the pitch; replacing the text shows it from its first line with the caret at the start.
class MemoBox : public QTextEdit
{
    Q_OBJECT
    // What a mapper writes: the text as it is, never markup (QTextEdit's own is its HTML).
    Q_PROPERTY(QString plainText READ toPlainText WRITE setPlainText USER true)
public:
    explicit MemoBox(QWidget *parent = nullptr);

    int lineSpacing() const;

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    void applyLineSpacing();
    void applyLineSpacingWhenShown();

    bool m_lineSpacingPending = false;
    bool m_applyingLineSpacing = false;
};
