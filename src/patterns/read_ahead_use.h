// Whether a file is read ahead by a second thread.
#pragma once

// Automatic: when the file is regular and at least a few blocks long.
// Never and Always let tests take both paths on the same inputs.
enum class ReadAheadUse { Automatic, Never, Always };
