#include "output/coverage_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The frame, in SVG user units.
constexpr double Width = 880;
constexpr double Height = 560;
constexpr double Left = 90;
constexpr double Right = 850;
constexpr double Top = 80;
constexpr double Bottom = 430;

const char* const InputColour = "#7f7f7f";
const char* const ChosenColour = "#1f5fbf";

std::string escaped(const std::string& text) {
    std::string out;
    for (char ch : text) {
        switch (ch) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default:
                // Control characters other than tab are not allowed in XML 1.0.
                out += static_cast<unsigned char>(ch) < 0x20 && ch != '\t' ? '?' : ch;
        }
    }
    return out;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// The x axis is logarithmic from 1 to a power of ten: a chosen set of a few
// dozen vectors and an input of a hundred thousand both stay readable.
struct Axes {
    double decades = 1;  // log10 of the axis end
    double x(uint64_t vectors) const {
        double position = std::log10(static_cast<double>(std::max<uint64_t>(vectors, 1))) / decades;
        return Left + position * (Right - Left);
    }
    double y(uint32_t covered, uint32_t detectable) const {
        double share = detectable == 0 ? 0.0 : static_cast<double>(covered) / static_cast<double>(detectable);
        return Bottom - share * (Bottom - Top);
    }
};

// The curve, with its end in words as the title a viewer shows over it.
std::string polyline(const std::vector<CoveragePoint>& curve, const Axes& axes, uint32_t detectable,
                     const char* colour, const char* id, const std::string& name) {
    std::string points;
    for (const CoveragePoint& point : curve) {
        points += number(axes.x(point.vectors)) + "," + number(axes.y(point.covered, detectable)) + " ";
    }
    if (!points.empty()) {
        points.pop_back();
    }
    CoveragePoint end = curve.empty() ? CoveragePoint{} : curve.back();
    return std::string("  <polyline id=\"") + id + "\" fill=\"none\" stroke=\"" + colour +
           "\" stroke-width=\"2\" points=\"" + points + "\">\n    <title>" + name + ": " +
           std::to_string(end.covered) + " of " + std::to_string(detectable) + " detectable faults after " +
           std::to_string(end.vectors) + " vectors</title>\n  </polyline>\n";
}

std::string text(double x, double y, const std::string& body, const char* extra = "") {
    return "  <text x=\"" + number(x) + "\" y=\"" + number(y) + "\"" + extra + ">" + body + "</text>\n";
}

}  // namespace

std::vector<CoveragePoint> sampleCurve(const std::vector<uint32_t>& coveredAfter, size_t points) {
    const uint64_t count = coveredAfter.size();
    const uint64_t dense = points / 2;
    const double growth = count > dense ? std::pow(static_cast<double>(count) / static_cast<double>(dense),
                                                   1.0 / static_cast<double>(points - dense))
                                        : 1.0;
    std::vector<CoveragePoint> curve;
    double next = 1;
    for (uint64_t applied = 1; applied <= count; ++applied) {
        if (static_cast<double>(applied) >= next || applied == count) {
            curve.push_back({applied, coveredAfter[applied - 1]});
            next = applied < dense ? static_cast<double>(applied + 1) : static_cast<double>(applied) * growth;
        }
    }
    return curve;
}

std::string coveragePlotSvg(const CoveragePlot& plot) {
    uint64_t widest = std::max<uint64_t>({plot.inputVectors, plot.chosenVectors, 10});
    Axes axes;
    axes.decades = std::ceil(std::log10(static_cast<double>(widest)) - 1e-9);

    std::string svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + number(Width) + "\" height=\"" +
           number(Height) + "\" viewBox=\"0 0 " + number(Width) + " " + number(Height) + "\"" +
           " font-family=\"sans-serif\" font-size=\"13\">\n";
    svg += "  <title>" + escaped(plot.title) + ": fault coverage</title>\n";
    svg += "  <rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += text(Left, 30, escaped(plot.title) + ": fault coverage", " font-size=\"17\" font-weight=\"bold\"");
    svg += text(Left, 54, escaped(plot.figures));

    // Grid and ticks: every 10 % up, every power of ten across.
    for (int percent = 0; percent <= 100; percent += 10) {
        double y = Bottom - percent / 100.0 * (Bottom - Top);
        svg += "  <line x1=\"" + number(Left) + "\" y1=\"" + number(y) + "\" x2=\"" + number(Right) + "\" y2=\"" +
               number(y) + "\" stroke=\"#e0e0e0\"/>\n";
        svg += text(Left - 8, y + 4, std::to_string(percent), " text-anchor=\"end\"");
    }
    uint64_t tick = 1;
    for (int decade = 0; decade <= static_cast<int>(axes.decades); ++decade, tick *= 10) {
        double x = axes.x(tick);
        svg += "  <line x1=\"" + number(x) + "\" y1=\"" + number(Top) + "\" x2=\"" + number(x) + "\" y2=\"" +
               number(Bottom + 5) + "\" stroke=\"#e0e0e0\"/>\n";
        svg += text(x, Bottom + 20, std::to_string(tick), " text-anchor=\"middle\"");
    }
    svg += "  <rect id=\"plot-area\" x=\"" + number(Left) + "\" y=\"" + number(Top) + "\" width=\"" + number(Right - Left) +
           "\" height=\"" + number(Bottom - Top) + "\" fill=\"none\" stroke=\"black\"/>\n";
    svg += text((Left + Right) / 2, Bottom + 44, "vectors applied (logarithmic scale)", " text-anchor=\"middle\"");
    svg += "  <text transform=\"translate(28 " + number((Top + Bottom) / 2) +
           ") rotate(-90)\" text-anchor=\"middle\">fault coverage, % of " + std::to_string(plot.detectableCount) +
           " detectable faults</text>\n";

    svg += polyline(plot.input, axes, plot.detectableCount, InputColour, "input-order", "input file");
    svg += polyline(plot.chosen, axes, plot.detectableCount, ChosenColour, "chosen-order", "chosen set");

    // The legend, under the axis title.
    const std::pair<const char*, std::string> entries[] = {
        {InputColour, "input file in its own order (" + std::to_string(plot.inputVectors) + " vectors)"},
        {ChosenColour, "chosen set, the vector that adds most first (" + std::to_string(plot.chosenVectors) +
                           " vectors)"},
    };
    double y = Bottom + 76;
    for (const auto& [colour, label] : entries) {
        svg += "  <line x1=\"" + number(Left) + "\" y1=\"" + number(y - 4) + "\" x2=\"" + number(Left + 30) +
               "\" y2=\"" + number(y - 4) + "\" stroke=\"" + colour + "\" stroke-width=\"2\"/>\n";
        svg += text(Left + 40, y, escaped(label));
        y += 22;
    }
    svg += "</svg>\n";
    return svg;
}
