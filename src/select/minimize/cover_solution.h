// A set of chosen columns with the bookkeeping the local moves need.
#pragma once

#include <cstdint>
#include <vector>

#include "select/minimize/cover_instance.h"
#include "select/minimize/search_budget.h"

struct CoverSolution {
    std::vector<uint8_t> chosen;        // per column
    std::vector<uint32_t> coverCount;   // per element: chosen columns that cover it
    std::vector<uint64_t> coverSum;     // per element: sum of their column numbers, so
                                        // the sole cover of an element is known at once
    std::vector<uint32_t> uniqueCount;  // per column: elements that it alone covers
    uint32_t size = 0;                  // chosen columns
    uint32_t uncovered = 0;             // elements that no chosen column covers
};

CoverSolution emptySolution(const CoverInstance& instance);
void addColumn(CoverSolution& solution, const CoverInstance& instance, uint32_t column);
void removeColumn(CoverSolution& solution, const CoverInstance& instance, uint32_t column);

// The chosen columns, ascending.
std::vector<uint32_t> chosenColumns(const CoverSolution& solution);

// Removes chosen columns whose every element another chosen column covers,
// trying them in the given order.
void dropRedundant(CoverSolution& solution, const CoverInstance& instance,
                   const std::vector<uint32_t>& order, WorkBudget& budget);

// Completes the solution to a cover: repeatedly adds the column of the best
// score over the elements it would newly cover (mu of them), cost / mu for a
// positive cost and cost * mu otherwise; ties go to the lowest column.
void completeCover(CoverSolution& solution, const CoverInstance& instance,
                      const std::vector<double>& cost, WorkBudget& budget);
