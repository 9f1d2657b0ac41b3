#pragma once

#include "PoemStore.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class PoemTableModel;
class QTimer;
class RecordCursor;
class RegionalClock;
class TForm2;

namespace Ui {
class TForm1;
}

// The main window: the page control with its three pages and the status bar. It works on the
// poem store it is given; the first time it is shown it prepares the store, step by step.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit TForm1(PoemStore &store, QWidget *parent = nullptr);
    ~TForm1() override;

    // The search and about pages' controls are not in the first frame: each page makes them when
    // it first comes to the front, or all are made here.
    void completePages();

    // The current record over the poem model, which the list grid shows and the detail window
    // follows and moves.
    RecordCursor *recordCursor() const { return m_cursor; }

    // The detail window is created after this one; it is reached through the function handed
    // over, which makes it if it is not made yet.
    void setDetailWindow(std::function<TForm2 *()> form2) { Form2 = std::move(form2); }

    // Panel 0 of the status bar follows the application hint.
    void showApplicationHint(const QString &text);

    enum PageIndex { ListPageIndex, SearchPageIndex, AboutPageIndex };

    void FormShow();
    void DBGrid1DblClick();
    void Lexikon1Click();
    void Keress1Click();
    void Bemutatkozs1Click();
    void Kilps1Click();
    void FormClose(QCloseEvent *event);
    void Timer1Timer();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void selectPage(int index);
    void setupWindow();
    void applyFonts();
    void bindViews();
    void connectMenu();
    void reportError(const QString &message);   // the application's default error report
    void focusFirstControlOfPage();
    bool confirmExit();
    void takeBackActivation();
    bool askAndEnd();
    void startupStep(PoemStore::Step step);
    void startupFailure(const QString &message);
    void startClock();

    std::unique_ptr<Ui::TForm1> ui;
    PoemStore &m_store;
    PoemTableModel *m_poemModel = nullptr;
    RecordCursor *m_cursor = nullptr;
    std::function<TForm2 *()> Form2;
    RegionalClock *m_clock = nullptr;
    QTimer *Timer1 = nullptr;
    QString v_prdir;
    bool m_shownOnce = false;
};
