// Counts the operator news of the threads that ask for it, for checks that a path never
// allocates (the replacements live in NewCount.cpp, which the test binary links).
#pragma once

namespace soundtest {

// Counts (or stops counting) this thread's operator news.
void countNews(bool on);
long countedNews();

} // namespace soundtest
