#include "tools/templatec/preview.h"

#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace fotarel::templatec {

QColor sampleColour(int slot)
{
    static const QColor colours[] = {QColor(150, 60, 200), QColor(230, 120, 30), QColor(30, 150, 220),
                                     QColor(60, 180, 80),  QColor(220, 50, 90)};
    return colours[slot % 5];
}

QImage samplePicture(int width, int height, QColor base, int number)
{
    QImage img(width, height, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, base.lighter(150));
    sky.setColorAt(1, base);
    p.fillRect(img.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 245, 210));
    p.drawEllipse(QPointF(width * 0.75, height * 0.25), height * 0.09, height * 0.09);
    QPainterPath hills;
    hills.moveTo(0, height);
    hills.lineTo(0, height * 0.8);
    hills.cubicTo(width * 0.3, height * 0.65, width * 0.6, height * 0.95, width, height * 0.78);
    hills.lineTo(width, height);
    p.setBrush(base.darker(160));
    p.drawPath(hills);
    if (number > 0) {
        QFont f;
        f.setPixelSize(std::max(12, height / 5));
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(255, 255, 255, 200));
        p.drawText(QRectF(0, 0, width * 0.3, height * 0.3), Qt::AlignCenter, QString::number(number));
    }
    return img;
}

TemplateRun::TemplateRun(const Scene& scene, const QByteArray& movie, QSize fullFrameSize, bool withCarry)
{
    const QString base = dir_.path() + "/smxcwjj/tp_wjj";
    const QString group = base + "/tp_wjj/tp_wjj_1";
    QDir().mkpath(group);
    QDir().mkpath(base + "/pic");
    QFile m(group + "/w_j_1.rar");
    if (!m.open(QIODevice::WriteOnly) || m.write(movie) != movie.size()) {
        error_ = "cannot write the movie";
        return;
    }
    m.close();
    for (size_t i = 0; i < scene.photoSlots.size(); ++i) {
        const Slot& s = scene.photoSlots[i];
        const QSize size = s.fullFrame() ? fullFrameSize : QSize(s.width, s.height);
        samplePicture(size.width(), size.height(), sampleColour(int(i) + 1), int(i) + 1)
            .save(group + QStringLiteral("/picture_%1.rar").arg(i + 1), "JPG", 90);
    }
    if (withCarry)
        samplePicture(kStageWidth, kStageHeight, sampleColour(0), 0).save(base + "/pic/picture_0.rar", "JPG", 90);

    player_ = std::make_unique<swf::Player>();
    player_->onFsCommand = [this](const QString& c, const QString&) { commands_ << c; };
    if (!player_->load(group + "/w_j_1.rar")) {
        error_ = player_->errorLog().join('\n');
        return;
    }
    player_->stopPlaying();
    player_->setVariable("xc_alpha", "0");
    while (commands_.isEmpty() && ticks_ < 50) {
        player_->tick();
        ++ticks_;
    }
    if (commands_.isEmpty()) {
        error_ = "no picture_0; errors: " + player_->errorLog().join(QLatin1Char(10)) + "; loads: " + player_->loadLog().join(QLatin1Char(10));
        return;
    }
    player_->setFrameNum(20);
    player_->setFrameNum(0);
    player_->stopPlaying();
    ok_ = true;
}

QImage TemplateRun::frame(int frame, QSize size)
{
    if (player_->frameNum() != frame)
        player_->setFrameNum(frame);
    return player_->paint(size);
}

} // namespace fotarel::templatec
