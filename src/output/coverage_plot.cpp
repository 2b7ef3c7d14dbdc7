#include "output/coverage_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "output/xml_text.h"

namespace {

// The frame, in SVG user units. The 100 % line lies a little below the
// frame's top, so that a curve that reaches it stays in sight.
constexpr double Width = 880;
constexpr double Height = 600;
constexpr double Left = 90;
constexpr double Right = 850;
constexpr double Top = 92;
constexpr double FullTop = Top + 14;
constexpr double Bottom = 430;

const char* const InputColour = "#7f7f7f";
const char* const ChosenColour = "#1f5fbf";
const char* const TargetColour = "#bf3f1f";
const char* const BudgetColour = "#2f8f3f";

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// The x axis is logarithmic from 1 to the first of 1, 2 or 5 times a power
// of ten that holds every vector (10 at least): a chosen set of a few dozen
// vectors and an input of a hundred thousand both stay readable.
struct Axes {
    uint64_t end = 10;
    double decades = 1;  // log10 of the axis end
    double x(uint64_t vectors) const {
        double position = std::log10(static_cast<double>(std::max<uint64_t>(vectors, 1))) / decades;
        return Left + position * (Right - Left);
    }
    double yOfPercent(double percent) const { return Bottom - percent / 100.0 * (Bottom - FullTop); }
    double y(uint32_t covered, uint32_t detectable) const {
        return yOfPercent(detectable == 0 ? 0.0 : 100.0 * static_cast<double>(covered) / static_cast<double>(detectable));
    }
};

Axes axesFor(uint64_t widest) {
    Axes axes;
    for (uint64_t decade = 1; axes.end < widest; decade *= 10) {
        for (uint64_t step : {1, 2, 5}) {
            if (step * decade >= widest && step * decade >= 10) {
                axes.end = step * decade;
                break;
            }
        }
    }
    axes.decades = std::log10(static_cast<double>(axes.end));
    return axes;
}

// part / whole as a percentage cut (never rounded up) to two decimals, so
// that only a complete coverage shows as 100.00.
std::string share(uint64_t part, uint64_t whole) {
    uint64_t hundredths = whole == 0 ? 0 : part * 10000 / whole;
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%02llu", static_cast<unsigned long long>(hundredths / 100),
                  static_cast<unsigned long long>(hundredths % 100));
    return text;
}

std::string line(double x1, double y1, double x2, double y2, const char* colour, const char* extra = "") {
    return "  <line x1=\"" + number(x1) + "\" y1=\"" + number(y1) + "\" x2=\"" + number(x2) + "\" y2=\"" +
           number(y2) + "\" stroke=\"" + colour + "\"" + extra + "/>\n";
}

// The curve, with its end in words as the title a viewer shows over it.
void writePolyline(ReplacementFile& svg, const std::vector<CoveragePoint>& curve, const Axes& axes, uint32_t detectable,
                   const char* colour, const char* id, const std::string& name) {
    appendText(svg, std::string("  <polyline id=\"") + id + "\" fill=\"none\" stroke=\"" + colour +
                        "\" stroke-width=\"2\" points=\"");
    for (size_t k = 0; k < curve.size(); ++k) {
        appendText(svg, k == 0 ? "" : " ");
        appendText(svg, number(axes.x(curve[k].vectors)) + "," + number(axes.y(curve[k].covered, detectable)));
    }
    CoveragePoint end = curve.empty() ? CoveragePoint{} : curve.back();
    appendText(svg, "\">\n    <title>" + name + ": " + std::to_string(end.covered) + " of " +
                        std::to_string(detectable) + " detectable faults after " + std::to_string(end.vectors) +
                        " vectors</title>\n  </polyline>\n");
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

void writeCoveragePlot(ReplacementFile& svg, const CoveragePlot& plot) {
    const Axes axes = axesFor(std::max(plot.inputVectors, plot.chosenVectors));
    const char* const Dashed = " stroke-width=\"1.5\" stroke-dasharray=\"6 4\"";

    appendText(svg, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    appendText(svg, "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + number(Width) +
                        "\" height=\"" + number(Height) + "\" viewBox=\"0 0 " + number(Width) + " " + number(Height) +
                        "\"" + " font-family=\"sans-serif\" font-size=\"13\">\n");
    appendText(svg, "  <title>" + xmlText(plot.title) + ": coverage</title>\n");
    appendText(svg, "  <rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n");
    appendText(svg, text(Left, 30, xmlText(plot.title) + ": coverage", " font-size=\"17\" font-weight=\"bold\""));
    appendText(svg, text(Left, 52,
                         "Fault coverage " + share(plot.coveredFaults, plot.faultCount) + " % (" +
                             std::to_string(plot.coveredFaults) + " of " + std::to_string(plot.faultCount) +
                             " faults), test coverage " + share(plot.detectableCovered, plot.detectableCount) + " % (" +
                             std::to_string(plot.detectableCovered) + " of " + std::to_string(plot.detectableCount) +
                             " detectable faults)"));
    appendText(svg,
               text(Left, 70,
                    "Used " + std::to_string(plot.cycleCount) + " cycles, chose " + std::to_string(plot.chosenVectors) +
                        " of " + std::to_string(plot.inputVectors) + " vectors"));

    // Grid and ticks: every 10 % up; every power of ten across, and the axis end.
    for (int percent = 0; percent <= 100; percent += 10) {
        double y = axes.yOfPercent(percent);
        appendText(svg, line(Left, y, Right, y, "#e0e0e0"));
        appendText(svg, text(Left - 8, y + 4, std::to_string(percent), " text-anchor=\"end\""));
    }
    std::vector<uint64_t> ticks;
    for (uint64_t tick = 1; tick <= axes.end; tick *= 10) {
        ticks.push_back(tick);
    }
    if (ticks.back() != axes.end) {
        ticks.push_back(axes.end);
    }
    for (uint64_t tick : ticks) {
        double x = axes.x(tick);
        appendText(svg, line(x, Top, x, Bottom + 5, "#e0e0e0"));
        appendText(svg, text(x, Bottom + 20, std::to_string(tick), " text-anchor=\"middle\""));
    }
    // The plot area runs from 0 to 100 %; the frame around it leaves room above.
    appendText(svg, "  <rect id=\"plot-area\" x=\"" + number(Left) + "\" y=\"" + number(FullTop) + "\" width=\"" +
                        number(Right - Left) + "\" height=\"" + number(Bottom - FullTop) + "\" fill=\"none\"/>\n");
    appendText(svg, "  <rect id=\"frame\" x=\"" + number(Left) + "\" y=\"" + number(Top) + "\" width=\"" +
                        number(Right - Left) + "\" height=\"" + number(Bottom - Top) +
                        "\" fill=\"none\" stroke=\"black\"/>\n");
    appendText(svg,
               text((Left + Right) / 2, Bottom + 44, "vectors applied (logarithmic scale)", " text-anchor=\"middle\""));
    appendText(svg, "  <text transform=\"translate(28 " + number((FullTop + Bottom) / 2) +
                        ") rotate(-90)\" text-anchor=\"middle\">test coverage, % of " +
                        std::to_string(plot.detectableCount) + " detectable faults</text>\n");

    // The run's limits, where they fall within the axes.
    std::vector<std::pair<const char*, std::string>> marks;
    if (plot.faultCoverPercent) {
        uint32_t percent = *plot.faultCoverPercent;
        std::string label = "-fault_cover " + std::to_string(percent) + ": stop above " + std::to_string(percent) + " %";
        if (percent <= 100) {
            double y = axes.yOfPercent(percent);
            appendText(svg, line(Left, y, Right, y, TargetColour, Dashed));
            // At the left, where the curves are still low.
            appendText(svg, text(Left + 4, y - 4, "-fault_cover " + std::to_string(percent) + " %",
                                 (std::string(" fill=\"") + TargetColour + "\"").c_str()));
        } else {
            label += " (beyond the axis)";
        }
        marks.push_back({TargetColour, label});
    }
    if (plot.vectorBudget > 0) {
        std::string label = "-max_vectors " + std::to_string(plot.vectorBudget) + ": at most " +
                            std::to_string(plot.vectorBudget) + " vectors";
        if (plot.vectorBudget <= axes.end) {
            double x = axes.x(plot.vectorBudget);
            appendText(svg, line(x, Top, x, Bottom, BudgetColour, Dashed));
            appendText(svg, text(x + 4, Top + 12, "-max_vectors " + std::to_string(plot.vectorBudget),
                                 (std::string(" fill=\"") + BudgetColour + "\"").c_str()));
        } else {
            label += " (beyond the axis)";
        }
        marks.push_back({BudgetColour, label});
    }

    writePolyline(svg, plot.input, axes, plot.detectableCount, InputColour, "input-order", "input file");
    writePolyline(svg, plot.chosen, axes, plot.detectableCount, ChosenColour, "chosen-order", "chosen set");

    // The legend, under the axis title.
    double y = Bottom + 76;
    const std::pair<const char*, std::string> curves[] = {
        {InputColour, "input file in its own order (" + std::to_string(plot.inputVectors) + " vectors)"},
        {ChosenColour, "chosen set, the vector that adds most first (" + std::to_string(plot.chosenVectors) +
                           " vectors)"},
    };
    for (const auto& [colour, label] : curves) {
        appendText(svg, line(Left, y - 4, Left + 30, y - 4, colour, " stroke-width=\"2\""));
        appendText(svg, text(Left + 40, y, xmlText(label)));
        y += 22;
    }
    for (const auto& [colour, label] : marks) {
        appendText(svg, line(Left, y - 4, Left + 30, y - 4, colour, Dashed));
        appendText(svg, text(Left + 40, y, xmlText(label)));
        y += 22;
    }
    appendText(svg, "</svg>\n");
}
