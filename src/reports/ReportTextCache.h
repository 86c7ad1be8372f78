#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QRawFont>
#include <QString>
#include <memory>
#include <vector>

// Texts of a report measured and shaped once per font and text: the layout asks for widths, the
// painters (preview, printer, PDF) for the glyph runs, and a list repeats most of its texts from
// page to page. A text of characters the font draws one by one (Japanese, digits, Latin) is built
// from each character's glyph and advance; anything else goes through Qt's text layout.
class ReportTextCache {
public:
    struct Shaped {
        QList<QGlyphRun> runs; // positions from the line's left end, baseline at ascent
        qreal width = 0;       // natural width
        qreal height = 0;      // ascent + descent, as a one-line text box counts it
        qreal ascent = 0;
    };

    ReportTextCache();
    ~ReportTextCache();
    ReportTextCache(const ReportTextCache&) = delete;
    ReportTextCache& operator=(const ReportTextCache&) = delete;

    // The font of a report text, sized in twips (painted under a twips-to-device scale).
    static QFont fontFor(const QString& family, double pointSize, bool bold);

    int fontId(const QString& family, double pointSize, bool bold);
    const QFont& font(int id) const;
    qreal width(int fontId, const QString& text);

    // A text drawn glyph by glyph: true with its width, else it needs shaped().
    bool plainWidth(int fontId, const QString& text, qreal* width);
    // The glyphs of such a text with its line's top left at topLeft, in rawFont(fontId).
    void appendGlyphs(int fontId, const QString& text, const QPointF& topLeft, QList<quint32>* indexes,
                      QList<QPointF>* positions);
    const QRawFont& rawFont(int fontId) const;
    qreal lineHeight(int fontId) const;
    // Any text through Qt's text layout, kept for the next page that shows it.
    const Shaped& shaped(int fontId, const QString& text);

private:
    struct Glyph {
        quint32 index = 0;
        qreal advance = 0;
    };
    struct FontEntry {
        QString family;
        double pointSize = 0;
        bool bold = false;
        QFont font;
        QRawFont raw;
        qreal ascent = 0;
        qreal height = 0;
        QHash<char16_t, Glyph> glyphs; // index 0: the font has none, take the layout
        QHash<QString, qreal> widths;
        QHash<QString, std::shared_ptr<Shaped>> shaped;
    };

    // The width of a text drawn glyph by glyph; false when a character needs the layout.
    bool glyphsOf(FontEntry& f, const QString& text, qreal* width);
    Shaped layOut(const FontEntry& f, const QString& text) const;

    std::vector<std::unique_ptr<FontEntry>> m_fonts;
};
