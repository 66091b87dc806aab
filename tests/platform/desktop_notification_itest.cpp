#include "platform/desktop_notification.h"

#include <gio/gio.h>
#include <glib/gstdio.h>
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "tests/scoped_env.h"

namespace {

// A session bus of the test's own. Its configuration names no folder of
// services, so no notification service installed on the machine is started.
class PrivateBus {
 public:
  PrivateBus() {
    dir_ = g_dir_make_tmp("vistra-bus-XXXXXX", nullptr);
    const std::string config = std::string(dir_) + "/bus.conf";
    const std::string text =
        "<busconfig><type>session</type><listen>unix:dir=" + std::string(dir_) +
        "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
        "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>";
    g_file_set_contents(config.c_str(), text.c_str(), -1, nullptr);
    const std::string configArg = "--config-file=" + config;
    daemon_ = g_subprocess_new(static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDOUT_PIPE | G_SUBPROCESS_FLAGS_STDERR_SILENCE), nullptr, "dbus-daemon", configArg.c_str(),
                               "--print-address", "--nofork", nullptr);
    if (!daemon_) return;
    GDataInputStream* out = g_data_input_stream_new(g_subprocess_get_stdout_pipe(daemon_));
    gchar* line = g_data_input_stream_read_line(out, nullptr, nullptr, nullptr);
    if (line) address_ = line;
    g_free(line);
    g_object_unref(out);
  }
  ~PrivateBus() {
    if (daemon_) {
      g_subprocess_force_exit(daemon_);
      g_subprocess_wait(daemon_, nullptr, nullptr);
      g_object_unref(daemon_);
    }
    const std::string config = std::string(dir_) + "/bus.conf";
    g_remove(config.c_str());
    g_rmdir(dir_);
    g_free(dir_);
  }
  const std::string& Address() const { return address_; }

 private:
  gchar* dir_ = nullptr;
  GSubprocess* daemon_ = nullptr;
  std::string address_;
};

// Owns the notification service's name on the bus and writes down each
// Notify call that reaches it as "app|icon|title|body|timeout" (read off
// the connection's incoming messages: the notices want no answer).
class NotificationService {
 public:
  explicit NotificationService(const std::string& address) {
    const auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                         G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    bus_ = g_dbus_connection_new_for_address_sync(address.c_str(), flags, nullptr, nullptr, nullptr);
    if (!bus_) return;
    g_dbus_connection_add_filter(bus_, &NotificationService::Incoming, this, nullptr);
    GVariant* reply = g_dbus_connection_call_sync(
        bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
        g_variant_new("(su)", "org.freedesktop.Notifications", 4u /* do not queue */), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (!reply) return;
    g_variant_get(reply, "(u)", &requestReply_);
    g_variant_unref(reply);
  }
  ~NotificationService() {
    if (!bus_) return;
    g_dbus_connection_close_sync(bus_, nullptr, nullptr);
    g_object_unref(bus_);
  }
  bool OwnsName() const { return requestReply_ == 1; }  // the primary owner

  // The first call, once it came (within 5 s).
  std::string FirstCall() {
    for (int i = 0; i < 500; ++i) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!calls_.empty()) return calls_.front();
      }
      g_usleep(10 * 1000);
    }
    return {};
  }

 private:
  // On GIO's thread of the connection.
  static GDBusMessage* Incoming(GDBusConnection*, GDBusMessage* message, gboolean incoming, gpointer self) {
    if (!incoming || g_strcmp0(g_dbus_message_get_member(message), "Notify") != 0) return message;
    const gchar *app = "", *icon = "", *title = "", *body = "";
    guint32 replaces = 0;
    gint32 timeout = 0;
    g_variant_get(g_dbus_message_get_body(message), "(&su&s&s&s@as@a{sv}i)", &app, &replaces, &icon, &title, &body,
                  nullptr, nullptr, &timeout);
    auto* service = static_cast<NotificationService*>(self);
    std::lock_guard<std::mutex> lock(service->mutex_);
    service->calls_.push_back(std::string(app) + "|" + icon + "|" + title + "|" + body + "|" + std::to_string(timeout));
    return message;
  }

  GDBusConnection* bus_ = nullptr;
  guint32 requestReply_ = 0;
  std::mutex mutex_;
  std::vector<std::string> calls_;
};

}  // namespace

// The notice reaches whoever offers the service, with texts a guide may
// bring (markup characters, a broken byte) made safe; before anyone offers
// it, nothing could show it.
TEST(DesktopNotification, ReachesTheServiceOnTheSessionBus) {
  gchar* daemon = g_find_program_in_path("dbus-daemon");
  if (!daemon) GTEST_SKIP() << "dbus-daemon is not installed";
  g_free(daemon);
  PrivateBus bus;
  ASSERT_FALSE(bus.Address().empty());
  ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", bus.Address());
  DesktopNotifier notifier("Vistra 4.3", "/opt/vistra/icon.png", nullptr);

  EXPECT_FALSE(notifier.Notify("Film", "starts"));

  NotificationService service(bus.Address());
  ASSERT_TRUE(service.OwnsName());
  EXPECT_TRUE(notifier.Notify("Starts now", "Tom & Jerry <3 on \xff One"));
  EXPECT_EQ(service.FirstCall(), "Vistra 4.3|file:///opt/vistra/icon.png|Starts now|Tom &amp; Jerry &lt;3 on \uFFFD One|-1");
}

// Without a bus the notice is refused at once, and none is started.
TEST(DesktopNotification, NoSessionBusIsNoNotice) {
  gchar* empty = g_dir_make_tmp("vistra-runtime-XXXXXX", nullptr);
  ScopedEnv runtime("XDG_RUNTIME_DIR", empty);
  {
    ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", "");
    EXPECT_FALSE(DesktopNotifier("Vistra 4.3", "", nullptr).Notify("Film", "starts"));
  }
  ScopedEnv gone("DBUS_SESSION_BUS_ADDRESS", std::string("unix:path=") + empty + "/bus");
  EXPECT_FALSE(DesktopNotifier("Vistra 4.3", "", nullptr).Notify("Film", "starts"));
  g_rmdir(empty);
  g_free(empty);
}
