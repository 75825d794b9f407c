#pragma once

// A label as it comes out of the printer: its image (1 pixel = 1 dot) on
// white paper the size of the media, on a grey table. At 100 % one dot is one
// screen pixel; zoomed, every dot stays a sharp square (no smoothing). "Fit"
// shows the whole paper in the view. Ctrl+wheel zooms in and out.

#include <QImage>
#include <QScrollArea>

class LabelView : public QScrollArea
{
    Q_OBJECT

public:
    static constexpr int Fit = 0;

    explicit LabelView(QWidget *parent = nullptr);

    // An empty image shows blank paper.
    void setLabel(const QImage &image, const QSize &paperDots);
    const QImage &image() const { return m_image; }
    QSize paperDots() const { return m_paper; }
    // In percent of one pixel per dot, or Fit.
    void setZoom(int percent);
    int zoom() const { return m_zoom; }
    // Screen pixels per dot now.
    double scale() const;

signals:
    void zoomChanged(int percent);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class Paper;
    void relayout();

    QImage m_image;
    QSize m_paper = {813, 1219};
    int m_zoom = Fit;
};
