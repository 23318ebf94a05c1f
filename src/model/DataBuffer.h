#pragma once

// One data set of a document: parallel columns of x, y and optional x and y
// errors, cached extents of the finite values, the axis pair it is drawn
// against, its visibility, the texts that record where it came from and what
// was done to it, and its drawing style.

#include "model/BufferStyle.h"
#include "model/DocumentDefaults.h"
#include "model/ErrorBarSettings.h"
#include "model/SharedColumn.h"
#include "platform/KeyedArchiver.h"
#include "platform/Outcome.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <unordered_set>
#include <vector>

class Questions;
class KeyedUnarchiver;
class VexaDocument;

class DataBuffer : public ArchivableObject {
public:
    // A new empty buffer in the built-in style.
    DataBuffer() = default;
    // A new empty buffer in the given style, with its size expression.
    explicit DataBuffer(const BufferDefaults& defaults);
    DataBuffer(DataBuffer&&) = default;
    DataBuffer& operator=(DataBuffer&&) = default;

    // --- data -----------------------------------------------------------
    std::uint8_t norescale = 0; // while set, rescale() does nothing (bulk rewrites)
    // Copies share their columns until one of them changes (SharedColumn).
    SharedColumn X;
    SharedColumn Y;
    SharedColumn EX;
    SharedColumn EY;
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    int belongx = 1;
    int belongy = 1;
    QString source;
    QString comment;
    QString dynsize; // per-point symbol size expression; empty = fixed symbolsize
    std::uint8_t havexminmax = 0;
    std::uint8_t haveyminmax = 0;
    std::uint8_t show = 1;
    std::uint8_t rm = 0;

    // --- style ---------------------------------------------------------------
    BufferStyle style;
    ErrorBarSettings errorbars;
    std::uint8_t plotlegend = 1; // the buffer has a legend entry

    // --- building and copying -------------------------------------------
    // The style back to the default one (also the size expression when the
    // defaults hold one).
    void setDefaultStyle(const BufferDefaults& defaults);
    void copyStyle(const DataBuffer& other) { style = other.style; }
    // A deep copy; extents are not copied (0, flags off) until rescale().
    std::unique_ptr<DataBuffer> copyWithZone() const;

    // --- appending, removing, extents -----------------------------------
    void addDoubleValue(double x, double y);
    void addDoubleValueError(double x, double y, double ex, double ey);
    void quickAddDoubleValue(double x, double y);
    void quickAddDoubleValueError(double x, double y, double ex, double ey);
    void deletePoint(int i);
    void deletePoints(const std::set<int>& indexes);
    void addError();
    void deleteError();
    void rescale();
    // The extent of the finite values of a column as rescale() finds it,
    // worked out in runs of the column, in order, by a reader that sees the
    // values as they are written: it then spares rescale() a pass over
    // columns no longer in cache.
    struct FiniteExtent {
        double lo = 0, hi = 0;
        bool any = false;
        // Widened by v[from, to), the values after those it covers.
        void widen(const double* v, std::size_t from, std::size_t to);
    };
    // What rescale() does, with the extents of X and of Y (its first
    // X.size() values) known.
    void rescale(const FiniteExtent& x, const FiniteExtent& y);
    bool haserror() const;
    int nop() const;

    // --- accessors (out of range: 0, or nothing) -------------------------
    double xDoubleValueAt(int i) const { return at(X, i); }
    double yDoubleValueAt(int i) const { return at(Y, i); }
    double xDoubleErrorAt(int i) const { return at(EX, i); }
    double yDoubleErrorAt(int i) const { return at(EY, i); }
    // Short names used by buffer arithmetic, the FFT and the perl bridge.
    double x(int i) const { return at(X, i); }
    double y(int i) const { return at(Y, i); }
    double xe(int i) const { return at(EX, i); }
    double ye(int i) const { return at(EY, i); }

    void setXDoubleValueAt(int i, double v);
    void setYDoubleValueAt(int i, double v);
    void setXDoubleErrorAt(int i, double v);
    void setYDoubleErrorAt(int i, double v);

    double getXmin() const { return xmin; }
    double getXmax() const { return xmax; }
    double getYmin() const { return ymin; }
    double getYmax() const { return ymax; }
    bool getShow() const { return show != 0; }
    void setShow(bool on) { show = on ? 1 : 0; }
    // The buffer's own texts: operations extend them in place.
    QString& getComment() { return comment; }
    void setComment(const QString& text) { comment = text; }
    QString& getSource() { return source; }
    void setSource(const QString& text) { source = text; }
    void setRm() { rm = 1; }

    // --- archiving ------------------------------------------------------------
    // The record version written; readers upgrade older records.
    static constexpr int archiveVersion = 31;
    static QString archiveClassName() { return QStringLiteral("DataBuffer"); }
    QString className() const override { return archiveClassName(); }
    void encodeWithCoder(KeyedArchiver& coder) const override;
    // A buffer from its record, extents computed. The preference defaults of
    // new buffers do not apply: what the record lacks takes the record's own
    // defaults.
    static std::unique_ptr<DataBuffer> initWithCoder(KeyedUnarchiver& coder);
    // Lets the unarchiver make buffers.
    static void registerArchiveClass(KeyedUnarchiver& coder);

    // An archived array of buffers (the pasteboard's buffer type), and back.
    // Reading gives nothing, and says why, for bytes that are no such
    // archive.
    static QByteArray archivedBuffers(const std::vector<const DataBuffer*>& buffers);
    static std::optional<std::vector<std::unique_ptr<DataBuffer>>>
    buffersFromArchive(const QByteArray& data, QString* error = nullptr);
    // Takes decoded buffers into sole ownership. A record listed twice, in
    // this list or in one adopted before with the same `seen`, comes only
    // from a damaged or forged archive (a copy per listing would let a small
    // file fill the memory): nothing then, and the caller refuses the archive.
    static std::optional<std::vector<std::unique_ptr<DataBuffer>>>
    adopt(std::vector<std::shared_ptr<DataBuffer>>&& decoded, std::unordered_set<const DataBuffer*>& seen);
    static QString listedTwiceMessage();

    // --- operations on the buffer's own points ---------------------------------
    // Each ends with rescale() and none redraws: the caller replots. Column
    // modes and targets are ASCIIExportColumns and CalcTarget
    // (model/DataBufferOperations.h).

    // Writes one line of tab-separated "%.16g" numbers per point. Failed,
    // with the reason, when the file could not be written completely; an
    // existing file is then left as it was (see AtomicFile).
    Outcome exportASCII(const QString& path, int mode) const;
    // y += a*x + b.
    void linBg(double a, double b);
    void addX(double v);
    void addY(double v);
    // Maps a to c and b to d linearly. A mapping that cannot be undone (a = b,
    // c = d or a value that is no finite number) changes nothing.
    void normX(double a, double b, double c, double d);
    void normY(double a, double b, double c, double d);
    // Keeps the points whose x (axis 0) or y (axis 1) lies strictly inside
    // (mode 0) or strictly outside (mode 1) the interval; refused (a beep
    // for the caller) and the buffer kept when no point would remain.
    Outcome cut(int axis, double a, double b, int mode);
    // Each block of n points becomes its mean; failed ("To Few Points") and
    // unchanged when there are fewer than 2n points.
    Outcome reduction(int n);
    // Moving mean over the 2n points around each point; failed ("To Few
    // Points") and unchanged when there are fewer than 2n points.
    Outcome smooth(int n);
    // Constant spacing and ascending x, or `questions` agreed to continue.
    // Asks only while warnings (the controller's preference) are on.
    bool checkDX(bool warnings, Questions& questions) const;
    // Ascending x, or `questions` had the buffer sorted; false when declined.
    bool checkSort(Questions& questions);
    // Ascending by x.
    void sort();
    void swapXY();
    // Sets one column of every point to the value of the expression. The
    // globals are the expression's r0, r1, ...; the program has none to give.
    void calc(int target, const QString& expression, const QList<double>& globals,
              const QHash<QString, double>& variables, const VexaDocument* document);

private:
    struct Zeroed { };
    explicit DataBuffer(Zeroed);

    static double at(const std::vector<double>& column, int i)
    {
        return (i >= 0 && std::size_t(i) < column.size()) ? column[std::size_t(i)] : 0.0;
    }
    static bool inRange(const std::vector<double>& column, int i)
    {
        return i >= 0 && std::size_t(i) < column.size();
    }
    void widen(double x, double y);
};
