#pragma once

#include "PoemQuery.h"

#include <QDialog>
#include <QPointer>

class CaptionLabel;
class DbNavigator;
class MemoBox;
class QFrame;
class QPushButton;

// The poem detail window: the current record's title and text, and a navigator that steps
// through the poem query. It follows the query whether shown or hidden and never writes to it.
// Only the title bar closes it (closing hides it); each showing is modal and centred anew.
class TForm2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm2(PoemQuery *query, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createWindow();
    void createTitlePanel();
    void createTextPanel();
    void createMemo();
    void createButtons();
    void createNavigator();
    void connectQuery();

    void refreshRecord();
    void centreOnWorkArea();

    QPointer<PoemQuery> m_query;
    QFrame *Panel1 = nullptr;
    CaptionLabel *Label1 = nullptr;
    QFrame *Panel2 = nullptr;
    MemoBox *Memo1 = nullptr;
    QPushButton *BitBtn1 = nullptr;
    QPushButton *BitBtn2 = nullptr;
    DbNavigator *DBNavigator1 = nullptr;
};
