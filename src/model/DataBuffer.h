#pragma once

// One data set of a document: parallel columns of x, y and optional x and y
// errors, cached extents of the finite values, the axis pair it is drawn
// against, its visibility, the texts that record where it came from and what
// was done to it, and its drawing style.

#include <QColor>
#include <QString>

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

class DataBuffer {
public:
    // A new empty buffer in the default style (user defaults applied).
    DataBuffer();

    // --- data -----------------------------------------------------------
    std::uint8_t norescale = 0;   // while set, rescale() does nothing (bulk rewrites)
    std::vector<double> X;
    std::vector<double> Y;
    std::vector<double> EX;
    std::vector<double> EY;
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    int belongx = 1;
    int belongy = 1;
    QString source;
    QString comment;
    QString dynsize;   // per-point symbol size expression; empty = fixed symbolsize
    std::uint8_t havexminmax = 0;
    std::uint8_t haveyminmax = 0;
    std::uint8_t show = 1;
    std::uint8_t rm = 0;

    // --- style ------------------------------------------------------------
    QColor color;
    QColor fillcolor;
    QColor errorcolor;
    QColor barcolor;
    QColor stickcolor;
    double linewidth = 1;
    double dashwidth = 0;
    double symbolsize = 10;
    double sticksize = 20;
    int dash = 0;
    int symbol = 0;
    std::uint8_t plotlines = 1;
    std::uint8_t plotsymbols = 0;
    std::uint8_t plotybars = 0;
    std::uint8_t plotxbars = 0;
    std::uint8_t plotfhist = 0;
    std::uint8_t plotysticks = 0;
    std::uint8_t plotxsticks = 0;
    std::uint8_t plotdots = 0;
    std::uint8_t plotarea = 0;
    std::uint8_t plothist = 0;
    std::uint8_t stickabs = 0;
    std::uint8_t symfill = 0;
    std::uint8_t plotlegend = 1;    // the buffer has a legend entry
    int errorbarx = 0;
    int errorbary = 0;
    double errorvalx = 0;
    double errorvaly = 0;
    double errorwidth = 1;
    std::uint8_t freex = 0;
    std::uint8_t freey = 0;
    double fxmin = 0, fxmax = 1;
    double fymin = 0, fymax = 1;
    std::uint8_t barytop = 0;
    std::uint8_t barybottom = 0;
    std::uint8_t barxleft = 0;
    std::uint8_t barxright = 0;

    // --- building and copying -------------------------------------------
    void setDefaultStyle();
    void copyStyle(const DataBuffer& other);
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

private:
    static double at(const std::vector<double>& column, int i)
    {
        return (i >= 0 && std::size_t(i) < column.size()) ? column[std::size_t(i)] : 0.0;
    }
    static bool inRange(const std::vector<double>& column, int i)
    {
        return i >= 0 && std::size_t(i) < column.size();
    }
    void setPlainStyle();
    void widen(double x, double y);
};
