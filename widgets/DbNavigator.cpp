#include "DbNavigator.h"

#include "GlyphStrip.h"
#include "RecordCursor.h"

#include <QEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>

namespace {
const char *const GlyphNames[] = {"nav_first", "nav_prior", "nav_next", "nav_last"};
} // namespace

DbNavigator::DbNavigator(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    resize(368, 33);
    createButtons();
    createRepeatTimer();
    updateButtons();
}

void DbNavigator::setRecordCursor(RecordCursor *cursor)
{
    if (cursor == m_cursor)
        return;
    if (m_cursor)
        disconnect(m_cursor, nullptr, this, nullptr);
    // A hold on the old cursor's Prior or Next must not go on stepping the new one.
    stopRepeat();
    m_cursor = cursor;
    if (m_cursor) {
        connect(m_cursor, &RecordCursor::changed, this, &DbNavigator::updateButtons);
        connect(m_cursor, &QObject::destroyed, this, &DbNavigator::updateButtons);
    }
    updateButtons();
}

void DbNavigator::createButtons()
{
    m_first = createButton(QStringLiteral("First"), FirstGlyph, QStringLiteral("Első rekord|Első rekord !"));
    m_prior = createButton(QStringLiteral("Prior"), PriorGlyph, QStringLiteral("Előző rekord|Előző rekord !"));
    m_next = createButton(QStringLiteral("Next"), NextGlyph,
                          QStringLiteral("Következő rekord|Következő rekord !"));
    m_last = createButton(QStringLiteral("Last"), LastGlyph, QStringLiteral("Utolsó rekord|Utolsó rekord !"));
    layoutButtons();
}

QPushButton *DbNavigator::createButton(const QString &name, Glyph glyph, const QString &hint)
{
    auto *button = new QPushButton(this);
    button->setObjectName(name);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    button->setIcon(GlyphStrip::icon(QStringLiteral(":/glyphs/%1.png").arg(QLatin1String(GlyphNames[glyph]))));
    button->setIconSize(GlyphSize);
    button->setToolTip(hint.section(QLatin1Char('|'), 0, 0));
    button->setStatusTip(hint.section(QLatin1Char('|'), 1));
    button->setProperty("showHint", true);
    // The buttons show glyphs only: screen readers name them by the hint's parts.
    button->setAccessibleName(hint.section(QLatin1Char('|'), 0, 0));
    button->setAccessibleDescription(hint.section(QLatin1Char('|'), 1));
    connect(button, &QPushButton::clicked, this, [this, button] { perform(button); });
    if (glyph == PriorGlyph || glyph == NextGlyph)
        button->installEventFilter(this);
    return button;
}

void DbNavigator::createRepeatTimer()
{
    // A precise timer never fires early, so a hold shorter than the delay never steps.
    m_repeatTimer = new QTimer(this);
    m_repeatTimer->setTimerType(Qt::PreciseTimer);
    connect(m_repeatTimer, &QTimer::timeout, this, &DbNavigator::repeatTick);
}

void DbNavigator::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutButtons();
}

// The width is shared evenly; any remainder goes to the buttons on the right.
void DbNavigator::layoutButtons()
{
    QPushButton *const buttons[] = {m_first, m_prior, m_next, m_last};
    const int count = 4;
    for (int i = 0; i < count; ++i) {
        const int left = i * width() / count;
        const int right = (i + 1) * width() / count;
        buttons[i]->setGeometry(left, 0, right - left, height());
    }
}

void DbNavigator::updateButtons()
{
    const bool open = m_cursor && m_cursor->isOpen();
    const bool backward = open && !m_cursor->bof();
    const bool forward = open && !m_cursor->eof();
    m_first->setEnabled(backward);
    m_prior->setEnabled(backward);
    m_next->setEnabled(forward);
    m_last->setEnabled(forward);
    if (m_repeatButton && !m_repeatButton->isEnabled())
        stopRepeat();
}

bool DbNavigator::perform(QPushButton *button)
{
    if (!m_cursor || !m_cursor->isOpen())
        return true;
    const QScopedValueRollback<bool> busy(m_performing, true);
    if (button == m_first)
        return m_cursor->first();
    if (button == m_prior)
        return m_cursor->prior();
    if (button == m_next)
        return m_cursor->next();
    return m_cursor->last();
}

bool DbNavigator::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_prior || watched == m_next) {
        auto *button = static_cast<QPushButton *>(watched);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && button->isEnabled())
                startRepeat(button);
            break;
        case QEvent::MouseButtonRelease:
            // Seen before the button's own release, which then performs the ordinary click.
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                stopRepeat();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DbNavigator::startRepeat(QPushButton *button)
{
    m_repeatButton = button;
    m_repeatTimer->start(RepeatDelayMs);
}

void DbNavigator::stopRepeat()
{
    m_repeatTimer->stop();
    m_repeatButton = nullptr;
}

// Unlike a plain auto-repeat button, the timer keeps its pace while the pointer strays off the
// button, so stepping resumes within one interval once it is back.
void DbNavigator::repeatTick()
{
    if (m_repeatTimer->interval() != RepeatIntervalMs)
        m_repeatTimer->setInterval(RepeatIntervalMs);
    if (!m_repeatButton || !m_repeatButton->isEnabled()) {
        stopRepeat();
        return;
    }
    if (m_performing || !m_repeatButton->isDown())
        return;
    if (!perform(m_repeatButton)) {
        // One failure per hold: no further steps, and no extra step on the release.
        m_repeatButton->setDown(false);
        stopRepeat();
    }
}
