// The movie database's trending and video answers.
#include "extras/trending.h"
#include "tests/fuzz/fuzz_target.h"

VISTRA_FUZZ_TARGET(trending) {
  for (const TrendingMovie& movie : ParseTrending(input, u"http://img")) {
    FUZZ_CHECK(!movie.title.empty());
    FUZZ_CHECK(movie.imageUrl.empty() || movie.imageUrl.starts_with(u"http://img/t/p/w"));
  }
  TrailerKey(input);
}
