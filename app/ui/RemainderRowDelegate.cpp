#include "app/ui/RemainderRowDelegate.h"

#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "app/ui/RemainderModel.h"
#include "app/ui/Style.h"

namespace vimbrel {

namespace {

// Every row is as high as every other, so that the list lays out a long
// review at once without asking each row its size.
constexpr int kFileHeight = 48;
constexpr int kSizeWidth = 76;

using ui::colors::Role;

QColor secondary(const QPalette& palette) {
  return ui::colors::color(Role::SecondaryText, palette);
}

void paintSwitch(QPainter* painter, const QRect& rect, const QPalette& palette, bool on,
                 bool enabled, bool focused) {
  QColor track = on ? palette.color(QPalette::Highlight) : palette.color(QPalette::Mid);
  if (!enabled) track.setAlphaF(0.4f);
  painter->setPen(Qt::NoPen);
  painter->setBrush(track);
  const qreal radius = rect.height() / 2.0;
  painter->drawRoundedRect(rect, radius, radius);
  const int knob = rect.height() - 4;
  const QRect knobRect(on ? rect.right() - knob - 1 : rect.left() + 2, rect.top() + 2, knob, knob);
  painter->setBrush(palette.color(QPalette::Base));
  painter->drawEllipse(knobRect);
  if (focused) {
    QColor ring = palette.color(QPalette::Highlight);
    ring.setAlphaF(0.5f);
    painter->setPen(QPen(ring, 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(rect.adjusted(-2, -2, 2, 2), radius + 2, radius + 2);
  }
}

// Symbolic, so that it takes the palette's text colour in a dark scheme too.
QIcon revealIcon() { return ui::symbolicIcon({"folder-open", "system-search"}); }

}  // namespace

QRect RemainderRowDelegate::switchRect(const QRect& row) {
  return {row.left() + 6, row.top() + (kFileHeight - 20) / 2, 36, 20};
}

QRect RemainderRowDelegate::revealRect(const QRect& row) {
  return {row.right() - 30, row.top() + (kFileHeight - 24) / 2, 24, 24};
}

QSize RemainderRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
  // The list stretches each row to its width; the row asks for little, so
  // that it never scrolls sideways.
  constexpr int kNarrowest = 240;
  return {kNarrowest, kFileHeight};
}

void RemainderRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  const QPalette& palette = option.palette;
  const QRect row = option.rect;
  QFont font = option.font;
  if (index.data(RemainderModel::IsHeaderRole).toBool()) {
    font.setPointSizeF(font.pointSizeF() - 1);
    font.setWeight(QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    painter->setFont(font);
    painter->setPen(secondary(palette));
    painter->drawText(row.adjusted(8, 0, -8, -6), Qt::AlignLeft | Qt::AlignBottom,
                      index.data().toString().toUpper());
    painter->restore();
    return;
  }

  const bool switchable = index.data(RemainderModel::SwitchableRole).toBool();
  const bool on = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
  const bool current = (option.state & QStyle::State_HasFocus) != 0;
  if ((option.state & QStyle::State_Selected) != 0) {
    painter->setPen(Qt::NoPen);
    painter->setBrush(ui::colors::color(Role::AccentWash, palette));
    painter->drawRoundedRect(row.adjusted(1, 1, -1, -2), 6, 6);
  }
  const QRect fileRow(row.left(), row.top(), row.width(), kFileHeight);
  paintSwitch(painter, switchRect(fileRow), palette, on, switchable, current);

  const QRect iconRect(row.left() + 52, row.top() + (kFileHeight - 28) / 2, 28, 28);
  index.data(Qt::DecorationRole).value<QIcon>().paint(painter, iconRect);

  const int textLeft = iconRect.right() + 10;
  const QRect reveal = revealRect(fileRow);
  const QRect sizeRect(reveal.left() - 8 - kSizeWidth, row.top(), kSizeWidth, kFileHeight);
  const int textWidth = std::max(20, sizeRect.left() - 8 - textLeft);

  QFont small = font;
  small.setPointSizeF(font.pointSizeF() - 1);
  const QFontMetrics smallMetrics(small);
  // The note (whose the entry is, or that it should be checked) stands at the
  // right of the name, in italics.
  const QString note = index.data(RemainderModel::NoteRole).toString();
  QFont italic = small;
  italic.setItalic(true);
  const QFontMetrics italicMetrics(italic);
  const int noteWidth =
      note.isEmpty() ? 0 : std::min(textWidth / 2, italicMetrics.horizontalAdvance(note) + 12);

  QFont nameFont = font;
  nameFont.setWeight(QFont::Medium);
  painter->setFont(nameFont);
  // An entry kept for another application reads as the secondary text.
  painter->setPen(ui::colors::color(switchable ? Role::RowText : Role::SecondaryText, palette));
  const QFontMetrics nameMetrics(nameFont);
  const int nameWidth = textWidth - noteWidth;
  const QRect nameRect(textLeft, row.top() + 6, nameWidth, nameMetrics.height());
  painter->drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter,
                    nameMetrics.elidedText(index.data().toString(), Qt::ElideRight, nameWidth));
  painter->setPen(secondary(palette));
  if (!note.isEmpty()) {
    painter->setFont(italic);
    painter->drawText(
        QRect(nameRect.right() + 12, nameRect.top(), noteWidth - 12, nameRect.height()),
        Qt::AlignLeft | Qt::AlignVCenter,
        italicMetrics.elidedText(note, Qt::ElideRight, noteWidth - 12));
  }
  painter->setFont(small);
  const QRect folderRect(textLeft, nameRect.bottom() + 2, textWidth, smallMetrics.height());
  painter->drawText(
      folderRect, Qt::AlignLeft | Qt::AlignVCenter,
      ui::elidedPath(index.data(RemainderModel::FolderRole).toString(), smallMetrics, textWidth));
  painter->drawText(sizeRect, Qt::AlignRight | Qt::AlignVCenter,
                    ui::sizeText(index.data(RemainderModel::SizeRole).value<quint64>()));
  revealIcon().paint(painter, reveal.adjusted(3, 3, -3, -3));

  painter->fillRect(QRect(textLeft, row.bottom(), row.right() - textLeft, 1),
                    ui::colors::color(Role::Separator, palette));
  painter->restore();
}

bool RemainderRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                       const QStyleOptionViewItem& option,
                                       const QModelIndex& index) {
  if (index.data(RemainderModel::IsHeaderRole).toBool()) return false;
  const auto toggle = [&] {
    if (!index.data(RemainderModel::SwitchableRole).toBool()) return;
    const bool on = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    model->setData(index, on ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
  };
  const QRect fileRow(option.rect.left(), option.rect.top(), option.rect.width(), kFileHeight);
  if (event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) return false;
    if (switchRect(fileRow).adjusted(-4, -6, 4, 6).contains(mouse->position().toPoint())) {
      toggle();
      return true;
    }
    if (revealRect(fileRow).contains(mouse->position().toPoint())) {
      if (onReveal_) onReveal_(index.row());
      return true;
    }
    return false;
  }
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Space || key == Qt::Key_Select) {
      toggle();
      return true;
    }
  }
  return false;
}

}  // namespace vimbrel
