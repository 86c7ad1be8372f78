#include "reports/ReportTextCache.h"

#include <QTextLayout>

namespace {

// Characters drawn one by one: no marks that join the letter before, no surrogate pairs, no
// right-to-left or shaping scripts.
bool standsAlone(QChar c) {
    if (c.isSurrogate() || c.isMark() || c.category() == QChar::Other_Format) return false;
    switch (c.script()) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
        return true;
    default:
        return false;
    }
}

// A probe of pairs a kerning font would move: such a font goes through the layout every time.
const QString kProbe = QStringLiteral("AVATTo,.Wa 0123456789 #-,¥ 在庫一覧 ｺｰﾄﾞ ア");

} // namespace

ReportTextCache::ReportTextCache() = default;
ReportTextCache::~ReportTextCache() = default;

QFont ReportTextCache::fontFor(const QString& family, double pointSize, bool bold) {
    QFont f(family);
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(qMax(1, qRound(pointSize * 20.0))); // 20 twips per point
    f.setBold(bold);
    // Metrics must not follow the screen's hinting: the same layout goes to paper and PDF.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

int ReportTextCache::fontId(const QString& family, double pointSize, bool bold) {
    for (size_t i = 0; i < m_fonts.size(); ++i) {
        const FontEntry& f = *m_fonts[i];
        if (f.pointSize == pointSize && f.bold == bold && f.family == family) return int(i);
    }
    auto f = std::make_unique<FontEntry>();
    f->family = family;
    f->pointSize = pointSize;
    f->bold = bold;
    f->font = fontFor(family, pointSize, bold);
    f->raw = QRawFont::fromFont(f->font);
    const Shaped probe = layOut(*f, kProbe);
    f->height = probe.height;
    f->ascent = probe.ascent;
    // The glyphs one by one must give what the layout gives, else this font always takes the layout.
    qreal w = 0;
    if (!glyphsOf(*f, kProbe, &w) || qAbs(w - probe.width) > 0.5) f->raw = QRawFont();
    m_fonts.push_back(std::move(f));
    return int(m_fonts.size()) - 1;
}

const QFont& ReportTextCache::font(int id) const {
    return m_fonts.at(size_t(id))->font;
}

bool ReportTextCache::glyphsOf(FontEntry& f, const QString& text, qreal* width) {
    if (!f.raw.isValid()) return false;
    qreal x = 0;
    for (const QChar c : text) {
        auto it = f.glyphs.constFind(c.unicode());
        if (it == f.glyphs.constEnd()) {
            Glyph g;
            if (standsAlone(c)) {
                const QList<quint32> one = f.raw.glyphIndexesForString(QString(c));
                if (one.size() == 1 && one.front() != 0) {
                    g.index = one.front();
                    g.advance = f.raw.advancesForGlyphIndexes(one, QRawFont::SeparateAdvances).front().x();
                }
            }
            it = f.glyphs.insert(c.unicode(), g);
        }
        if (it->index == 0) return false;
        x += it->advance;
    }
    *width = x;
    return true;
}

ReportTextCache::Shaped ReportTextCache::layOut(const FontEntry& f, const QString& text) const {
    QTextLayout layout(text, f.font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    Shaped s;
    s.runs = layout.glyphRuns();
    s.width = line.naturalTextWidth();
    s.height = line.height();
    s.ascent = line.ascent();
    return s;
}

qreal ReportTextCache::width(int fontId, const QString& text) {
    FontEntry& f = *m_fonts.at(size_t(fontId));
    qreal w = 0;
    if (glyphsOf(f, text, &w)) return w;
    auto it = f.widths.constFind(text);
    if (it == f.widths.constEnd()) it = f.widths.insert(text, layOut(f, text).width);
    return *it;
}

bool ReportTextCache::plainWidth(int fontId, const QString& text, qreal* width) {
    return glyphsOf(*m_fonts.at(size_t(fontId)), text, width);
}

void ReportTextCache::appendGlyphs(int fontId, const QString& text, const QPointF& topLeft,
                                   QList<quint32>* indexes, QList<QPointF>* positions) {
    FontEntry& f = *m_fonts.at(size_t(fontId));
    qreal x = topLeft.x();
    const qreal y = topLeft.y() + f.ascent;
    for (const QChar c : text) {
        const Glyph& g = f.glyphs[c.unicode()];
        // A blank draws nothing: a padded code would otherwise cost a PDF page a dozen glyphs.
        if (c != u' ') {
            indexes->append(g.index);
            positions->append(QPointF(x, y));
        }
        x += g.advance;
    }
}

const QRawFont& ReportTextCache::rawFont(int fontId) const {
    return m_fonts.at(size_t(fontId))->raw;
}

qreal ReportTextCache::lineHeight(int fontId) const {
    return m_fonts.at(size_t(fontId))->height;
}

const ReportTextCache::Shaped& ReportTextCache::shaped(int fontId, const QString& text) {
    FontEntry& f = *m_fonts.at(size_t(fontId));
    auto it = f.shaped.constFind(text);
    if (it == f.shaped.constEnd()) it = f.shaped.insert(text, std::make_shared<Shaped>(layOut(f, text)));
    return **it;
}
