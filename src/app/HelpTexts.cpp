#include "app/HelpTexts.h"

#include <QStringList>

namespace {

// What each command does, in the words of the reference page; the command
// table itself gives the forms and their arguments. A row with a signature
// speaks of that form only (colour commands take numbers or a colour word);
// the argument names are given for the form with that many arguments.
// clang-format off
const HelpCommandText commandRows[] = {
    // --- scaling ---------------------------------------------------------------------------
    {"range", "", "axes from to", "Sets the range of each axis of the set to from .. to; the other direction of the axis pair keeps its range. Equal ends change nothing."},
    {"rescale", "", "pair", "Fits the axis ranges to the data: pair 1 or first, 2 or second, 0 or both (the default)."},
    {"upscale", "", "pair factor", "Zooms out around the middle of the graph by factor (10 when left out) on pair 0 (both), 1 or 2; the words both, first and second work too."},
    {"downscale", "", "pair factor", "Zooms in around the middle of the graph by factor (10 when left out); pairs as for upscale."},
    // --- buffers -------------------------------------------------------------------------------
    {"select", "", "buffers", "Selects exactly these buffers in the buffer list."},
    {"setcurrent", "", "buffer", "Makes the buffer the current one."},
    {"invertselection", "", "", "Selects the buffers that were not selected and deselects the others."},
    {"hide", "", "buffers", "Hides the buffers."},
    {"show", "", "buffers", "Shows the buffers."},
    {"delete", "", "buffers", "Deletes the buffers."},
    {"duplicate", "", "buffers", "Appends a copy of each buffer, in the order of the set."},
    {"setcomment", "", "buffers comment", "Replaces the comment of the buffers."},
    {"addcomment", "", "buffers comment", "Appends the text, after a blank, to the comment of the buffers."},
    {"getcomment", "", "buffer variable", "Stores the comment of the buffer in the string variable (written with or without $)."},
    {"setsource", "", "buffers source", "Replaces the source text of the buffers."},
    {"addsource", "", "buffers source", "Appends the text, after a blank, to the source of the buffers."},
    {"getsource", "", "buffer variable", "Stores the source text of the buffer in the string variable."},
    {"belongx", "", "buffers axis", "Draws the buffers against the bottom (1) or top (2) x axis; the words bottom and top work too."},
    {"belongy", "", "buffers axis", "Draws the buffers against the left (1) or right (2) y axis; the words left and right work too."},
    // --- data points ---------------------------------------------------------------------------
    {"addvalue", "", "buffer x y xerror yerror", "Appends the point (x, y) to the buffer, with both errors when both are given."},
    {"setxvalue", "", "buffer point x", "Sets x of one point."},
    {"setxerror", "", "buffer point error", "Sets the x error of one point."},
    {"setyvalue", "", "buffer point y", "Sets y of one point."},
    {"setyerror", "", "buffer point error", "Sets the y error of one point."},
    {"rmvalue", "", "buffer point", "Removes one point."},
    {"newbuffer", "", "", "Appends an empty buffer and makes it current."},
    // --- control flow --------------------------------------------------------------------------
    {"if", "", "a operator b", "Runs the following commands up to else or endif only when the condition holds. Operators: == != > >= < <= compare numbers, eq and ne compare texts without regard to case. One level deep: an if inside an if replaces it."},
    {"else", "", "", "Runs the following commands up to endif only when the condition of if did not hold."},
    {"endif", "", "", "Ends the commands of if and else."},
    {"loop", "", "range", "Runs the commands up to endloop once for each value of the range, which the variable l holds. Ranges: N (0 to N-1), m..n (whole numbers, up or down), start:end:step, or a list a,b,c. Values keep six significant digits. A range may be as long as you like."},
    {"bufferloop", "", "buffers", "Runs the commands up to endloop once for each buffer of the set; l holds the buffer number."},
    {"dataloop", "", "buffer", "Runs the commands up to endloop once for each point of the buffer; l holds the point number and lx, ly, lxe, lye its values."},
    {"endloop", "", "", "Ends the commands of a loop; the loop goes on with its next value."},
    {"timer", "", "seconds count", "Runs the whole macro again every so many seconds, count times (for ever when count is 0 or left out)."},
    {"stoptimer", "", "", "Stops the macro's timer."},
    {"perltimeout", "", "seconds", "How long the run waits for perl code started by a command (10 seconds at the start of every run)."},
    // --- interaction ---------------------------------------------------------------------------
    {"ask", "", "message unused unused", "Shows the message with Continue and Cancel; Cancel stops the run."},
    {"askoption", "", "message first second", "Shows the message with two buttons; the variable option is 1 for the first, 0 for the second."},
    {"browse", "", "", "Asks for a file; its path goes to the string variable file."},
    {"input", "", "message", "Asks for a value (\"Enter value\" when no message is given); the answer goes to the string variable input and, as a number, to the variable input."},
    {"plot", "", "", "Redraws the graph now, in the middle of the run."},
    {"print", "", "values…", "Writes its arguments, each followed by a blank, to the macro console; expressions print as numbers of six significant digits."},
    {"sleep", "", "seconds", "Waits; nothing else happens meanwhile."},
    {"setwarn", "", "on", "1 turns the warnings of buffer operations on, anything else off."},
    // --- data operations -----------------------------------------------------------------------
    {"fg", "", "mode from to points expression", "Function generator: a new buffer of points evenly spread from .. to, with y = expression of x (mode 1) or x = expression of y (mode 2)."},
    {"bcalc", "", "a operator b", "A new buffer from buffers a and b combined point by point with + - * or /."},
    {"calc", "", "target expression buffers", "Sets x (1), y (2), x error (3) or y error (4) of every point of the buffers to the expression of x, y, ex, ey, …"},
    {"swapxy", "", "buffers", "Exchanges x and y (and the errors) of the buffers."},
    {"normx", "", "a b c d buffers", "Maps x linearly so that a goes to c and b goes to d."},
    {"normy", "", "a b c d buffers", "Maps y linearly so that a goes to c and b goes to d."},
    {"movex", "", "from to buffers", "Shifts x by to − from."},
    {"movey", "", "from to buffers", "Shifts y by to − from."},
    {"cutoutsidex", "", "a b buffers", "Keeps only the points with x between a and b."},
    {"cutinsidex", "", "a b buffers", "Removes the points with x between a and b."},
    {"cutoutsidey", "", "a b buffers", "Keeps only the points with y between a and b."},
    {"cutinsidey", "", "a b buffers", "Removes the points with y between a and b."},
    {"calcint", "", "x1 x2 buffers", "The integral from x1 to x2; it goes to the variable integral and to the buffer's comment."},
    {"linreg", "", "x1 x2 buffers", "Fits y = A + B·x to the points with x from x1 to x2: a new buffer with the fit, and A, B and the correlation coefficient r in the variables rega, regb and regr."},
    {"logreg", "", "x1 x2 buffers", "Fits y = A + B·ln x over x1 .. x2: a new buffer, and rega, regb, regr."},
    {"expreg", "", "x1 x2 buffers", "Fits y = A·exp(B·x) over x1 .. x2: a new buffer, and rega, regb, regr."},
    {"linbg", "", "a b buffers", "Adds a·x + b to every y (give negative values to take a background away)."},
    {"smooth", "", "points buffers", "A new buffer smoothed by a moving average over windows of twice that many points."},
    {"fftsmooth", "", "strength buffers", "A new buffer smoothed in the frequency domain."},
    {"datareduction", "", "points buffers", "A new buffer with the mean of every block of that many points."},
    {"spline", "", "points strength buffers", "A new buffer: a cubic spline with that many points per interval."},
    {"diff", "", "interval buffers", "A new buffer with the derivative, taken over the interval."},
    {"fft", "", "window buffers", "A new buffer with the spectrum; window 0 none, 1 Hanning, 2 Welch, 3 Parzen."},
    {"integrate", "", "buffers", "A new buffer with the running integral."},
    {"setxval", "", "buffers point value", "Sets x of one point of each buffer."},
    {"setyval", "", "buffers point value", "Sets y of one point of each buffer."},
    {"setxeval", "", "buffers point value", "Sets the x error of one point of each buffer."},
    {"setyeval", "", "buffers point value", "Sets the y error of one point of each buffer."},
    // --- page ------------------------------------------------------------------------------------
    {"margins", "", "left right bottom top", "The margins around the plot area, in points."},
    {"windowsize", "", "width height", "Resizes the window so that the graph gets this size."},
    {"drawbg", "", "on", "Draws the background (1) or not (0)."},
    {"drawmargin", "", "on", "Fills the margins (1) or not (0)."},
    {"drawframe", "", "on", "Draws the frame around the plot area (1) or not (0)."},
    {"bgcolor", "dddd", "red green blue alpha", "The background colour."},
    {"bgcolor", "s", "colour", "The background colour, by name."},
    {"margincolor", "dddd", "red green blue alpha", "The colour of the margins."},
    {"margincolor", "s", "colour", "The colour of the margins, by name."},
    {"framecolor", "dddd", "red green blue alpha", "The colour of the frame."},
    {"framecolor", "s", "colour", "The colour of the frame, by name."},
    {"framewidth", "", "width", "The line width of the frame."},
    {"framestyle", "", "style", "The frame: 0 a rectangle round the plot area, 1 two axis lines crossing at zero, 2 two axis lines along the left and bottom edges."},
    {"forceframe", "", "on", "Draws the rectangle round the plot area whatever the frame style (exactly 1 turns it on)."},
    {"framearrows", "", "on", "Arrows at the ends of the axis lines of frame styles 1 and 2 (exactly 1 turns them on)."},
    {"crossarrows", "", "ends", "Which ends of the crossing axis lines get arrows: both (0), min (1) or max (2)."},
    {"framearrowsize", "", "size", "The size of the frame arrows."},
    {"framearrowtype", "", "type", "The frame arrows: 0 a filled triangle, 1 an open V, 2 a bar."},
    // --- buffer style ------------------------------------------------------------------------------
    {"bstyle", "", "lines symbols fill ybars xbars ysticks xsticks dots histogram filledhistogram buffers", "Turns each way of drawing the buffers on (1) or off (0)."},
    {"bstyleclear", "", "buffers", "Turns every way of drawing the buffers off."},
    {"bstylelines", "", "on buffers", "Lines between the points."},
    {"bstylesymbols", "", "on buffers", "A symbol at each point."},
    {"bstylefill", "", "on buffers", "The area under the line, filled."},
    {"bstyleybars", "", "on buffers", "Vertical bars."},
    {"bstylexbars", "", "on buffers", "Horizontal bars."},
    {"bstyleysticks", "", "on buffers", "Vertical sticks."},
    {"bstylexsticks", "", "on buffers", "Horizontal sticks."},
    {"bstyledots", "", "on buffers", "A dot at each point."},
    {"bstylehist", "", "on buffers", "A histogram outline."},
    {"bstylefhist", "", "on buffers", "A filled histogram."},
    {"bcolor", "dddbd", "red green blue buffers alpha", "The line and symbol colour of the buffers."},
    {"bcolor", "sb", "colour buffers", "The line and symbol colour of the buffers, by name."},
    {"bfillcolor", "dddbd", "red green blue buffers alpha", "The fill colour of the buffers."},
    {"bfillcolor", "sb", "colour buffers", "The fill colour of the buffers, by name."},
    {"bframecolor", "dddbd", "red green blue buffers alpha", "The colour of the bar frames."},
    {"bframecolor", "sb", "colour buffers", "The colour of the bar frames, by name."},
    {"bstickcolor", "dddbd", "red green blue buffers alpha", "The colour of the sticks."},
    {"bstickcolor", "sb", "colour buffers", "The colour of the sticks, by name."},
    {"blinewidth", "", "width buffers", "The line width."},
    {"blinepattern", "", "pattern buffers", "The dash pattern, 0 (solid) to 15."},
    {"bpatternwidth", "", "width buffers", "The length unit of the dash pattern."},
    {"bsymbol", "", "symbol buffers", "The symbol, 0 to 15."},
    {"bsymbolsize", "", "size buffers", "The symbol size."},
    {"bsymbolfill", "", "on buffers", "Filled symbols."},
    {"bsticksize", "", "size buffers", "The stick length."},
    {"bsticksabs", "", "on buffers", "Stick lengths in data units instead of points."},
    {"bdynsize", "", "buffers expression", "A symbol size worked out per point from x, y, ex, ey, …; without an expression the size is fixed again."},
    {"bxerrorval", "", "value buffers", "The size of the x error bars in modes 1 (a value) and 2 (a percentage)."},
    {"bxerror", "", "mode buffers", "The x error bars: 0 none, 1 the value of bxerrorval, 2 that many percent of x, 3 the buffer's own x errors."},
    {"byerrorval", "", "value buffers", "The size of the y error bars in modes 1 (a value) and 2 (a percentage)."},
    {"byerror", "", "mode buffers", "The y error bars: 0 none, 1 the value of byerrorval, 2 that many percent of y, 3 the buffer's own y errors."},
    {"berrorlinewidth", "", "width buffers", "The line width of the error bars."},
    {"berrorcolor", "dddbd", "red green blue buffers alpha", "The colour of the error bars."},
    {"berrorcolor", "sb", "colour buffers", "The colour of the error bars, by name."},
    {"blegend", "", "on buffers", "Lists the buffers in the legend."},
    {"bfreex", "", "on buffers", "Draws x on a range of its own (bfreexrange) instead of the axis's."},
    {"bfreey", "", "on buffers", "Draws y on a range of its own (bfreeyrange) instead of the axis's."},
    {"bfreexrange", "", "min max buffers", "The buffers' own x range."},
    {"bfreeyrange", "", "min max buffers", "The buffers' own y range."},
    {"barytop", "", "on buffers", "Vertical bars hang from the top (turns barybottom off)."},
    {"barybottom", "", "on buffers", "Vertical bars stand on the bottom (turns barytop off)."},
    {"barxleft", "", "on buffers", "Horizontal bars start at the left (turns barxright off)."},
    {"barxright", "", "on buffers", "Horizontal bars start at the right (turns barxleft off)."},
    // --- axes ----------------------------------------------------------------------------------------
    {"setaxis", "", "bottom left top right", "Shows (1) or hides (0) each of the four axes."},
    {"ascalstart", "", "axes value", "Where the ticks start; without a value, chosen automatically."},
    {"ascalend", "", "axes value", "Where the ticks end; without a value, chosen automatically."},
    {"asetreverse", "", "axes on", "Runs the axes from high to low (exactly 1 turns it on)."},
    {"atickdist", "", "axes distance", "The distance between ticks (on time axes an interval such as 1:0:0 or w, m, y); empty: automatic."},
    {"aminsteps", "", "axes steps", "The number of minor steps between ticks; empty: automatic."},
    {"atimeformat", "", "axes format", "The date format of a time axis's numbers, such as %H:%M."},
    {"atrigger", "", "axes origin", "The value the ticks are counted from."},
    {"ascalexpr", "", "axes expression", "An expression of v, the tick value, that gives the number printed."},
    {"aexpoffset", "", "axes offset", "Shifts the exponent of the printed numbers."},
    {"adecplaces", "", "axes places", "Decimal places of the numbers, 0 to 12."},
    {"adecplacesauto", "", "axes on", "Chooses the decimal places automatically (exactly 1 turns it on)."},
    {"aformat", "", "axes mode", "The kind of axis: 0 linear, 1 logarithmic, 2 time."},
    {"asetsmalllogzero", "", "axes on", "On a logarithmic axis, labels the lowest tick 0 and leaves out the minor ticks below it (exactly 1 turns it on)."},
    {"atext", "", "axes title", "The axis title."},
    {"anumfont", "", "axes font size", "The font of the numbers."},
    {"anumoffset", "", "axes offset", "The distance of the numbers from the axis."},
    {"anumalign", "", "axes alignment", "The alignment of the numbers, 0 to 8."},
    {"anumangle", "", "axes degrees", "The angle of the numbers, 0 to 360."},
    {"atextfont", "", "axes font size", "The font of the title."},
    {"atextoffset", "", "axes offset", "The distance of the title from the axis."},
    {"atextoffsetwindow", "", "axes on", "Measures the title's distance from the edge of the view instead of from the numbers."},
    {"asetnum", "", "axes on", "Shows the numbers."},
    {"asettext", "", "axes on", "Shows the title."},
    {"asetfliptext", "", "axes on", "Turns the title by 180°."},
    {"atextcolor", "adddd", "axes red green blue alpha", "The colour of the title and numbers."},
    {"atextcolor", "as", "axes colour", "The colour of the title and numbers, by name."},
    {"asetzeroline", "", "axes on", "Draws a line at zero."},
    {"azerolinecolor", "adddd", "axes red green blue alpha", "The colour of the zero line."},
    {"azerolinecolor", "as", "axes colour", "The colour of the zero line, by name."},
    {"aticklength", "", "axes length", "The length of the ticks."},
    {"aminticklength", "", "axes length", "The length of the minor ticks."},
    {"atickwidth", "", "axes width", "The line width of the ticks."},
    {"amintickwidth", "", "axes width", "The line width of the minor ticks."},
    {"asetticks", "", "axes on", "Draws ticks."},
    {"asetminticks", "", "axes on", "Draws minor ticks."},
    {"asetticksbothsides", "", "axes on", "Ticks on both sides of the axis."},
    {"asetminticksbothsides", "", "axes on", "Minor ticks on both sides of the axis."},
    {"atickcolor", "adddd", "axes red green blue alpha", "The colour of the ticks."},
    {"atickcolor", "as", "axes colour", "The colour of the ticks, by name."},
    {"amintickcolor", "adddd", "axes red green blue alpha", "The colour of the minor ticks."},
    {"amintickcolor", "as", "axes colour", "The colour of the minor ticks, by name."},
    {"atickstyle", "", "axes style", "Ticks inside the plot area (0), outside (1) or across its edge (2)."},
    {"asetgrid", "", "axes on", "Draws grid lines at the ticks."},
    {"asetmingrid", "", "axes on", "Draws grid lines at the minor ticks."},
    {"agridcolor", "adddd", "axes red green blue alpha", "The colour of the grid."},
    {"agridcolor", "as", "axes colour", "The colour of the grid, by name."},
    {"amingridcolor", "adddd", "axes red green blue alpha", "The colour of the minor grid."},
    {"amingridcolor", "as", "axes colour", "The colour of the minor grid, by name."},
    {"agridwidth", "", "axes width", "The line width of the grid."},
    {"amingridwidth", "", "axes width", "The line width of the minor grid."},
    {"agridpattern", "", "axes pattern", "The dash pattern of the grid, 0 to 15."},
    {"amingridpattern", "", "axes pattern", "The dash pattern of the minor grid, 0 to 15."},
    {"agridfront", "", "axes on", "Draws the grid over the data instead of under it."},
    {"amingridfront", "", "axes on", "Draws the minor grid over the data."},
    {"alabel", "", "axes number label", "Prints label instead of the number written number (as the axis prints it)."},
    {"aclearlabels", "", "axes", "Removes the labels set with alabel."},
    // --- legend --------------------------------------------------------------------------------------
    {"setlegend", "", "on", "Shows the legend."},
    {"legendpos", "", "x y", "Moves the legend."},
    {"setlegendbg", "", "on", "Fills the legend's background."},
    {"setlegendhorizontal", "", "on", "Lists the entries side by side."},
    {"legendalign", "", "alignment", "The alignment of the legend, 1 to 9."},
    {"legendlength", "", "length", "The length of the line samples."},
    {"legendspace", "", "space", "The space between the entries."},
    {"legendcolor", "dddd", "red green blue alpha", "The colour of the legend's text."},
    {"legendcolor", "s", "colour", "The colour of the legend's text, by name."},
    {"legendbgcolor", "dddd", "red green blue alpha", "The background colour of the legend."},
    {"legendbgcolor", "s", "colour", "The background colour of the legend, by name."},
    {"legendfont", "", "font size", "The font of the legend."},
    // --- texts and graphics ----------------------------------------------------------------------------
    {"text", "", "tag x y font size text red green blue angle alignment place offset bgred bggreen bgblue", "A text box with its top-left corner at (x, y) in view points; a place number puts it at one of the automatic places round the plot area, offset by offset, laid out turned when angle is a right angle. The variables textwidth and textheight hold the size of the text being placed, so x may be 100-textwidth/2."},
    {"ftext", "", "tag where x y font size text red green blue angle alignment anchor bgred bggreen bgblue", "A text box at (x, y) in view points (where = screen) or data values of axis pair 1 or 2 (first, second); anchor 1 to 9 chooses which point of the box lies there."},
    {"qtext", "", "where x y text angle alignment anchor colour", "A quick text box (tag 999) in the default font and colour."},
    {"rect", "iudddddiu", "tag where x y width height linewidth pattern colour", "A rectangle, its line colour by name."},
    {"rect", "iudddddiddd", "tag where x y width height linewidth pattern red green blue", "A rectangle."},
    {"frect", "iudddddidddddd", "tag where x y width height linewidth pattern red green blue fillred fillgreen fillblue", "A filled rectangle."},
    {"frect", "iudddddiss", "tag where x y width height linewidth pattern colour fillcolour", "A filled rectangle, its colours by name."},
    {"circle", "iudddddiddd", "tag where x y width height linewidth pattern red green blue", "An oval in the rectangle."},
    {"circle", "iudddddis", "tag where x y width height linewidth pattern colour", "An oval, its line colour by name."},
    {"fcircle", "iudddddidddddd", "tag where x y width height linewidth pattern red green blue fillred fillgreen fillblue", "A filled oval."},
    {"fcircle", "iudddddiss", "tag where x y width height linewidth pattern colour fillcolour", "A filled oval, its colours by name."},
    {"arrow", "iuddddiiiddis", "tag where x1 y1 x2 y2 head1 head2 type size linewidth pattern colour", "A line with arrowheads (head1, head2: exactly 1 draws one), its colour by name."},
    {"arrow", "iuddddiiiddiddd", "tag where x1 y1 x2 y2 head1 head2 type size linewidth pattern red green blue", "A line with arrowheads; type 0 to 3."},
    {"line", "iudddddiddd", "tag where x1 y1 x2 y2 linewidth pattern red green blue", "A straight line from (x1, y1) to (x2, y2)."},
    {"line", "iudddddis", "tag where x1 y1 x2 y2 linewidth pattern colour", "A line, its colour by name."},
    {"rmtext", "", "tag", "Removes the text boxes with this tag, or all of them."},
    {"rmgraphic", "", "tag", "Removes the graphics with this tag, or all of them."},
    {"defaultfont", "", "font size", "The font of qtext."},
    {"defaultcolor", "ddd", "red green blue", "The colour texts and graphics get when none is given."},
    {"defaultcolor", "s", "colour", "The default colour, by name."},
    // --- files, imports and sub-views ---------------------------------------------------------------------
    {"new", "", "", "A new document, on which the rest of the run acts."},
    {"close", "", "", "Closes the window of the document."},
    {"open", "", "path", "Opens a document file; the rest of the run acts on it."},
    {"save", "", "", "Saves the document."},
    {"saveas", "", "path", "Saves the document under this path."},
    {"savepng", "", "path resolution", "Exports the graph as PNG at the resolution in dots per inch (72 when left out)."},
    {"savejpg", "", "path resolution", "Exports the graph as JPEG at the resolution in dots per inch (72 when left out)."},
    {"savepdf", "", "path", "Exports the graph as PDF."},
    {"saveeps", "", "path", "Exports the graph as EPS."},
    {"printdoc", "", "", "Prints the graph, asking for the printer."},
    {"import", "", "path mode separator xcolumn noxcolumn comment ignore commenttext", "Imports ASCII columns: mode 0 one buffer per column, 1 one buffer with errors; x from column xcolumn (1 when left out)."},
    {"binaryimport", "", "path type layout swap columns comment", "Imports binary numbers: type 0 to 3, layout 0 or 1, swap 1 to swap bytes, the number of columns."},
    {"mysqlimport", "", "host database user password port query", "Imports the numeric columns of a MySQL query."},
    {"perlimport", "", "path macro", "Imports the file through the perl import macro of that name, or through the perl code written in this macro."},
    {"perlfilter", "", "buffers macro", "Runs the buffers through the perl filter macro of that name, or through the perl code written in this macro."},
    {"epicsimport", "", "x y", "Reads EPICS process variables: y against x, or one array against its index."},
    {"epicstimeout", "", "seconds", "The time EPICS reads may take."},
    {"epicsmaxarray", "", "bytes", "The largest array an EPICS read may transfer."},
    {"epicsaddrlist", "", "addresses", "The addresses EPICS searches."},
    {"epicssetvar", "", "variable pv", "Reads one value of a process variable into a variable."},
    {"export", "", "path columns buffers", "Writes a buffer as tab-separated columns: 0 x y and both errors, 1 x y and the y error, 2 x y and the x error (x y for a buffer without errors). With several buffers the file holds the last."},
    {"subview", "", "width height x y", "A graph inside the graph, at (x, y) in view points; the rest of the run acts on it."},
    {"sizeview", "", "width height x y", "Moves and resizes the current sub-view."},
    {"changeview", "", "number", "Acts on sub-view number (1, 2, …) or the main graph (0) from here on."},
    {"deleteview", "", "number", "Deletes sub-view number, or all of them."},
    // --- miscellany ------------------------------------------------------------------------------
    {"colormode", "", "mode", "Colour numbers are red, green, blue (0) or hue, saturation, brightness (1)."},
    {"clr", "", "", "Clears the macro console."},
    {"setvar", "", "name value", "Sets a variable."},
    {"setstring", "", "name text", "Sets a string variable to the text as written."},
    {"eval", "", "name value", "Sets a string variable to the value of an expression, or to the text."},
    {"format", "", "name format numbers…", "Sets a string variable to the numbers written with the format, such as '%6.2f'."},
    {"hideapp", "", "", "Hides the windows of the program."},
    {"quitapp", "", "", "Closes the window and quits."},
};
// clang-format on

// clang-format off
const HelpFunctionText functionRows[] = {
    {"rnd", "rnd x", "A random number between 0 and x: the mean of two uniform draws, so values near x/2 are the likeliest."},
    {"sin", "sin x", "Sine (radians)."},
    {"cos", "cos x", "Cosine (radians)."},
    {"tan", "tan x", "Tangent (radians)."},
    {"asin", "asin x", "Arc sine, in radians."},
    {"acos", "acos x", "Arc cosine, in radians."},
    {"atan", "atan x", "Arc tangent, in radians."},
    {"frac", "frac x", "The fractional part: x − int x (frac -2.5 is −0.5)."},
    {"abs", "abs x", "The absolute value."},
    {"int", "int x", "x with its fractional part cut off, toward zero (int -2.7 is −2)."},
    {"sinh", "sinh x", "Hyperbolic sine."},
    {"cosh", "cosh x", "Hyperbolic cosine."},
    {"tanh", "tanh x", "Hyperbolic tangent."},
    {"asinh", "asinh x", "Inverse hyperbolic sine."},
    {"acosh", "acosh x", "Inverse hyperbolic cosine."},
    {"atanh", "atanh x", "Inverse hyperbolic tangent."},
    {"j0", "j0 x", "Bessel function of the first kind, order 0."},
    {"j1", "j1 x", "Bessel function of the first kind, order 1."},
    {"y0", "y0 x", "Bessel function of the second kind, order 0."},
    {"y1", "y1 x", "Bessel function of the second kind, order 1."},
    {"erf", "erf x", "The error function."},
    {"erfc", "erfc x", "The complementary error function, 1 − erf x."},
    {"mod", "a mod b", "The remainder of a / b, with the sign of a (−7 mod 3 is −1); binds tighter than * and /."},
    {"sqrt", "sqrt x", "Square root."},
    {"ln", "ln x", "Natural logarithm."},
    {"log", "log x", "Decimal logarithm."},
    {"cbrt", "cbrt x", "Cube root."},
    {"rad", "rad x", "Degrees to radians: x · π / 180."},
    {"deg", "deg x", "Radians to degrees: x · 180 / π."},
    {"xmin", "xmin b", "The smallest x of buffer b."},
    {"xmax", "xmax b", "The largest x of buffer b."},
    {"ymin", "ymin b", "The smallest y of buffer b."},
    {"ymax", "ymax b", "The largest y of buffer b."},
    {"points", "points b", "The number of points of buffer b."},
    {"jn", "jn(n; x)", "Bessel function of the first kind, of whole order n."},
    {"yn", "yn(n; x)", "Bessel function of the second kind, of whole order n."},
    {"round", "round(x; n)", "x rounded to n decimals, ties to even (round(2.5; 0) is 2); a negative n rounds to tens, hundreds, …"},
    {"xval", "xval(b; i)", "x of point i of buffer b."},
    {"yval", "yval(b; i)", "y of point i of buffer b."},
    {"xerr", "xerr(b; i)", "The x error of point i of buffer b (0 for a buffer without errors)."},
    {"yerr", "yerr(b; i)", "The y error of point i of buffer b (0 for a buffer without errors)."},
    {"findx", "findx(y; b)", "The x at which buffer b first passes y, interpolated linearly; 0 when it never does."},
    {"findy", "findy(x; b)", "The y of buffer b at x, interpolated linearly between its points; 0 outside them."},
    {"xpoint", "xpoint(v; n)", "Where the value v lies on the x axis of pair n, in view points."},
    {"ypoint", "ypoint(v; n)", "Where the value v lies on the y axis of pair n, in view points."},
    {"xvalue", "xvalue(p; n)", "The value of the x axis of pair n at view point p."},
    {"yvalue", "yvalue(p; n)", "The value of the y axis of pair n at view point p."},
    {"gau", "gau(x; x0; a; w)", "A Gaussian of height a at x0 with full width w at half its height."},
    {"lor", "lor(x; x0; a; w)", "A Lorentzian of height a at x0 with full width w at half its height."},
    {"pi", "pi", "π = 3.14159…"},
    {"e", "e", "e = 2.71828…"},
    {"txmin", "txmin", "The smallest x of all buffers."},
    {"txmax", "txmax", "The largest x of all buffers."},
    {"tymin", "tymin", "The smallest y of all buffers."},
    {"tymax", "tymax", "The largest y of all buffers."},
    {"vxmin", "vxmin", "The smallest x of the shown buffers."},
    {"vxmax", "vxmax", "The largest x of the shown buffers."},
    {"vymin", "vymin", "The smallest y of the shown buffers."},
    {"vymax", "vymax", "The largest y of the shown buffers."},
};
// clang-format on

} // namespace

namespace HelpTexts {

const HelpCommandText* command(const QString& name, const QString& signature)
{
    const HelpCommandText* general = nullptr;
    const HelpCommandText* any = nullptr;
    for (const HelpCommandText& row : commandRows) {
        if (name.compare(QLatin1String(row.name), Qt::CaseInsensitive) != 0)
            continue;
        if (signature == QLatin1String(row.signature))
            return &row;
        if (!general && !*row.signature)
            general = &row;
        if (!any)
            any = &row;
    }
    return general ? general : any;
}

QStringList commandNames()
{
    QStringList names;
    for (const HelpCommandText& row : commandRows)
        if (!names.contains(QLatin1String(row.name)))
            names << QLatin1String(row.name);
    return names;
}

const HelpFunctionText* function(const QString& name)
{
    for (const HelpFunctionText& row : functionRows)
        if (name == QLatin1String(row.name))
            return &row;
    return nullptr;
}

QStringList functionNames()
{
    QStringList names;
    for (const HelpFunctionText& row : functionRows)
        names << QLatin1String(row.name);
    return names;
}

} // namespace HelpTexts
