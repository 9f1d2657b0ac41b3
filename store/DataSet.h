#pragma once

#include <QObject>

// A cursor over a result of records, for the controls that show and move the current record
// without knowing what the records hold: open or closed, how many, which one is current (1-based)
// with BOF and EOF, the moves, and the notices. The state lives here so that reading it costs no
// virtual call; only the moves and fetching are the concrete result's own.
class DataSet : public QObject
{
    Q_OBJECT
public:
    explicit DataSet(QObject *parent = nullptr);
    ~DataSet() override;

    bool isOpen() const { return m_open; }
    int recordCount() const { return m_open ? m_recordCount : 0; }
    // 1-based position of the current record, 0 when there is none.
    int recNo() const { return m_open && m_current >= 0 ? m_current + 1 : 0; }
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }

    // Moves stop at the first or last record and then set BOF or EOF; they may throw while
    // reading records, and leave the current record where it was then.
    virtual void first() = 0;
    void prior() { moveBy(-1); }
    void next() { moveBy(1); }
    virtual void last() = 0;
    virtual int moveBy(int distance) = 0;   // returns the number of records actually moved (signed)
    virtual void setRecNo(int position) = 0;

    // Reads the records up to the given position now, so that a view can show them without
    // reading; throws what reading throws. A result held in memory has nothing to do.
    virtual void fetchUpTo(int position);

signals:
    void stateAboutToChange();      // an open that has succeeded, or a close, is about to take effect
    void stateChanged(bool open);   // after every open and every close
    void currentChanged();          // the current record moved (not sent for blocked moves)

protected:
    int currentIndex() const { return m_current; }   // 0-based, -1 for none
    // Between stateAboutToChange() and stateChanged(): the result as it now is.
    void setState(bool open, int recordCount, int currentIndex, bool bof, bool eof);
    // Sends currentChanged() when the record or a flag changes.
    void moveTo(int index, bool bof, bool eof);

private:
    bool m_open = false;
    int m_recordCount = 0;
    int m_current = -1;
    bool m_bof = true;
    bool m_eof = true;
};
