#include "catalog/provider_status.h"

#include <gtest/gtest.h>

namespace {

HttpClient::HttpReply Reply(int status, std::string body, HttpClient::BodyEnd end = HttpClient::BodyEnd::Whole) {
  HttpClient::HttpReply reply;
  reply.status = status;
  reply.body = std::move(body);
  reply.end = end;
  return reply;
}

TEST(ProviderAnswer, StatusAndBodyKindTellTheProblem) {
  using HttpClient::BodyEnd;
  const struct {
    HttpClient::HttpReply reply;
    AnswerBody body;
    ProviderProblem problem;
  } cases[] = {
      {Reply(404, "<!DOCTYPE html>\n<html><body>404</body></html>"), AnswerBody::Html, ProviderProblem::Refused},
      {Reply(403, ""), AnswerBody::Empty, ProviderProblem::Refused},
      {Reply(200, R"({"user_info":{"auth":0}})"), AnswerBody::Json, ProviderProblem::Refused},
      {Reply(200, "\xEF\xBB\xBF {\"error\":\"maintenance\"}"), AnswerBody::Json, ProviderProblem::NotCatalog},
      {Reply(200, "<br />\n<b>Fatal error</b>"), AnswerBody::Html, ProviderProblem::NotCatalog},
      {Reply(200, "Access denied"), AnswerBody::Text, ProviderProblem::NotCatalog},
      {Reply(200, " \r\n"), AnswerBody::Empty, ProviderProblem::NotCatalog},
      {Reply(0, "", BodyEnd::Broken), AnswerBody::Empty, ProviderProblem::NoAnswer},
      {Reply(200, "[{\"num\":1", BodyEnd::Broken), AnswerBody::Cut, ProviderProblem::NoAnswer},
      {Reply(503, "<html>busy</html>"), AnswerBody::Html, ProviderProblem::NoAnswer},
  };
  for (const auto& c : cases) {
    const ProviderAnswer answer = DescribeAnswer(c.reply);
    EXPECT_EQ(answer.httpStatus, c.reply.status) << c.reply.body;
    EXPECT_EQ(answer.body, c.body) << c.reply.body;
    EXPECT_EQ(ProblemOf(answer), c.problem) << c.reply.body;
  }
  ProviderAnswer list = DescribeAnswer(Reply(200, "[]"));
  list.catalog = true;
  EXPECT_EQ(ProblemOf(list), ProviderProblem::None);
  EXPECT_EQ(AnswerBodyName(AnswerBody::Html), "html");
  EXPECT_EQ(AnswerBodyName(AnswerBody::Cut), "cut");
}

TEST(AccountLine, NumbersAsStringsAndNullsAreReadAndEachStatusHasItsVerdict) {
  const auto strings = ParseAccountLine(
      R"({"user_info":{"username":"u","auth":"1","status":"Active","exp_date":"1767225600","is_trial":"0",)"
      R"("active_cons":"1","max_connections":"2"},"server_info":{"status":"x","exp_date":"5"}})");
  ASSERT_TRUE(strings);
  EXPECT_EQ(*strings, (AccountLine{true, u"Active", 1767225600, 2, 1}));
  EXPECT_EQ(VerdictOf(*strings), LineVerdict::Active);

  const auto numbers =
      ParseAccountLine(R"({"user_info" : {"auth":1,"status":"active","exp_date":1767225600,"max_connections":3}})");
  ASSERT_TRUE(numbers);
  EXPECT_EQ(*numbers, (AccountLine{true, u"active", 1767225600, 3, std::nullopt}));

  // Nulls, empty texts and 0 tell nothing: no end date, no limit.
  const auto nulls = ParseAccountLine(
      R"({"user_info":{"auth":true,"status":null,"exp_date":null,"max_connections":"","active_cons":null}})");
  ASSERT_TRUE(nulls);
  EXPECT_EQ(*nulls, (AccountLine{true, u"", std::nullopt, std::nullopt, std::nullopt}));
  EXPECT_EQ(VerdictOf(*nulls), LineVerdict::Active);
  EXPECT_EQ(ParseAccountLine(R"({"user_info":{"exp_date":"0"}})")->expiresAt, std::nullopt);

  EXPECT_EQ(ParseAccountLine(R"({"user_info":[],"server_info":{"auth":1}})"), std::nullopt);
  EXPECT_EQ(ParseAccountLine("<html>404</html>"), std::nullopt);
  EXPECT_EQ(ParseAccountLine(""), std::nullopt);

  const struct {
    const char* answer;
    LineVerdict verdict;
  } cases[] = {
      {R"({"user_info":{"auth":0}})", LineVerdict::Refused},
      {R"({"user_info":{"auth":"0","status":"Active"}})", LineVerdict::Refused},
      {R"({"user_info":{"auth":1,"status":"Expired","exp_date":"1700000000"}})", LineVerdict::Expired},
      {R"({"user_info":{"auth":1,"status":"Banned"}})", LineVerdict::Banned},
      {R"({"user_info":{"auth":1,"status":"DISABLED"}})", LineVerdict::Disabled},
      {R"({"user_info":{"auth":1,"status":"Suspended"}})", LineVerdict::Inactive},
  };
  for (const auto& c : cases) {
    const auto line = ParseAccountLine(c.answer);
    ASSERT_TRUE(line) << c.answer;
    EXPECT_EQ(VerdictOf(*line), c.verdict) << c.answer;
  }
}

}  // namespace
