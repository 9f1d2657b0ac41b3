#pragma once

// The current record of an open result of n rows, kept by the BOF/EOF rules alone, to hold the
// poem query against. Every move answers whether the bound views hear of it: only a move that
// changes the position or a flag does, so a blocked move notifies nobody.
class CursorModel
{
public:
    void open(int rows);
    bool first();
    bool last();
    bool next();
    bool prior();
    bool moveBy(int distance);
    bool moveTo(int position);

    int recordCount() const { return m_rows; }
    int recNo() const { return m_recNo; }   // 1-based, 0 without a current record
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }

private:
    bool set(int recNo, bool bof, bool eof);
    void stepForward();
    void stepBack();

    int m_rows = 0;
    int m_recNo = 0;
    bool m_bof = true;
    bool m_eof = true;
};
