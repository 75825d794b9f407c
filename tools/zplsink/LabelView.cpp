#include "LabelView.h"

#include <QPainter>
#include <QtMath>
#include <QWheelEvent>

#include <array>

namespace {

constexpr int Margin = 12;  // grey around the paper, in screen pixels
constexpr std::array<int, 7> Steps = {25, 50, 100, 200, 400, 800, 1600};

} // namespace

// The paper and its label, drawn at the view's scale.
class Paper : public QWidget
{
public:
    explicit Paper(LabelView *view) : QWidget(view), m_view(view) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0x80, 0x80, 0x80));
        const double s = m_view->scale();
        const QRectF paper(Margin, Margin, m_view->m_paper.width() * s, m_view->m_paper.height() * s);
        painter.fillRect(paper, Qt::white);
        if (m_view->m_image.isNull())
            return;
        // Dots are squares: no smoothing, whatever the scale.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        const QRectF label(paper.topLeft(), QSizeF(m_view->m_image.size()) * s);
        painter.drawImage(label, m_view->m_image);
    }

private:
    LabelView *m_view;
};

LabelView::LabelView(QWidget *parent) : QScrollArea(parent)
{
    setWidget(new Paper(this));
    setAlignment(Qt::AlignCenter);
    setBackgroundRole(QPalette::Dark);
    relayout();
}

void LabelView::setLabel(const QImage &image, const QSize &paperDots)
{
    m_image = image;
    m_paper = paperDots.expandedTo(image.size());
    relayout();
}

void LabelView::setZoom(int percent)
{
    if (percent == m_zoom)
        return;
    m_zoom = percent;
    relayout();
    emit zoomChanged(percent);
}

double LabelView::scale() const
{
    if (m_zoom != Fit)
        return m_zoom / 100.0;
    const QSize room = maximumViewportSize() - QSize(2 * Margin, 2 * Margin);
    const double s = qMin(double(room.width()) / m_paper.width(), double(room.height()) / m_paper.height());
    return qBound(0.01, s, 16.0);
}

void LabelView::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier) || event->angleDelta().y() == 0) {
        QScrollArea::wheelEvent(event);
        return;
    }
    // From fit, the next step up or down from the scale fit gives.
    const int now = qRound(scale() * 100);
    int next = now;
    if (event->angleDelta().y() > 0) {
        for (int step : Steps)
            if (step > now) { next = step; break; }
    } else {
        for (auto it = Steps.rbegin(); it != Steps.rend(); ++it)
            if (*it < now) { next = *it; break; }
    }
    setZoom(next);
    event->accept();
}

void LabelView::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    if (m_zoom == Fit)
        relayout();
}

void LabelView::relayout()
{
    const double s = scale();
    widget()->resize(qCeil(m_paper.width() * s) + 2 * Margin, qCeil(m_paper.height() * s) + 2 * Margin);
    widget()->update();
}
