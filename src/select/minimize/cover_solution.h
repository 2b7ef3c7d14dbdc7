// A set of chosen columns with the bookkeeping the local moves need.
#pragma once

#include <cstdint>
#include <vector>

#include "select/minimize/cover_instance.h"
#include "select/minimize/search_budget.h"

// An element is met when its cover count reaches its demand. A chosen column
// is critical to an element it covers no more often than the demand: without
// the column the element falls short.
struct CoverSolution {
    std::vector<uint8_t> chosen;          // per column
    std::vector<uint32_t> coverCount;     // per element: chosen columns that cover it
    std::vector<uint64_t> coverSum;       // per element: sum of their column numbers, so
                                          // the sole cover of an element is known at once
    std::vector<uint32_t> criticalCount;  // per column: elements it is critical to
    uint32_t size = 0;                    // chosen columns
    uint32_t uncovered = 0;               // elements not met
};

// Calls visit(column) for each chosen column of `element`: the sole one
// from coverSum when one covers it, else those of its list. Returns the
// entries it looked at.
template <typename Visit>
uint64_t forChosenColumns(const CoverSolution& solution, const CoverInstance& instance, uint32_t element,
                          Visit visit) {
    if (solution.coverCount[element] == 1) {
        visit(static_cast<uint32_t>(solution.coverSum[element]));
        return 1;
    }
    for (const uint32_t* c = elementBegin(instance, element); c != elementEnd(instance, element); ++c) {
        if (solution.chosen[*c]) {
            visit(*c);
        }
    }
    return elementDegree(instance, element);
}

CoverSolution emptySolution(const CoverInstance& instance);
// Both spend what they look at: the column's list, and the list of every
// element whose critical columns change.
void addColumn(CoverSolution& solution, const CoverInstance& instance, uint32_t column, WorkBudget& budget);
void removeColumn(CoverSolution& solution, const CoverInstance& instance, uint32_t column, WorkBudget& budget);

// The chosen columns, ascending.
std::vector<uint32_t> chosenColumns(const CoverSolution& solution);

// Removes chosen columns critical to no element, trying them in the given
// order.
void dropRedundant(CoverSolution& solution, const CoverInstance& instance,
                   const std::vector<uint32_t>& order, WorkBudget& budget);

// Completes the solution to a cover: repeatedly adds the column of the best
// score over the unmet elements it covers (mu of them), cost / mu for a
// positive cost and cost * mu otherwise; ties go to the lowest column.
void completeCover(CoverSolution& solution, const CoverInstance& instance,
                      const std::vector<double>& cost, WorkBudget& budget);
