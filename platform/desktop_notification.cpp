#include "platform/desktop_notification.h"

#include <gio/gio.h>
#include <sys/stat.h>

#include <cstdlib>

namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kObject[] = "/org/freedesktop/Notifications";
// The bus daemon answers its own calls at once; this only bounds a hung one.
constexpr int kBusTimeoutMs = 500;

// Where the session bus listens, or empty. Unlike GIO's own lookup this
// never falls back to launching a bus.
std::string SessionBusAddress() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address && *address) return address;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) return {};
  const std::string socket = std::string(runtime) + "/bus";
  struct stat info {};
  if (stat(socket.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) return {};
  gchar* escaped = g_dbus_address_escape_value(socket.c_str());
  std::string result = std::string("unix:path=") + escaped;
  g_free(escaped);
  return result;
}

// A call to the bus daemon itself; null on error or timeout.
GVariant* CallBus(GDBusConnection* bus, const char* method, GVariant* args, const char* replyType) {
  return g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                     method, args, G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NO_AUTO_START,
                                     kBusTimeoutMs, nullptr, nullptr);
}

GDBusConnection* Connect() {
  const std::string address = SessionBusAddress();
  if (address.empty()) return nullptr;
  // The greeting every bus client sends first is sent here, not by GIO, so
  // that it waits no longer than the other calls to the bus (GIO would wait
  // 25 s on a bus that never answers).
  GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
      address.c_str(), G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT, nullptr, nullptr, nullptr);
  if (!bus) return nullptr;
  // A bus that goes away must not end the program (GIO's shared bus would).
  g_dbus_connection_set_exit_on_close(bus, FALSE);
  GVariant* name = CallBus(bus, "Hello", nullptr, "(s)");
  if (!name) {
    g_object_unref(bus);
    return nullptr;
  }
  g_variant_unref(name);
  return bus;
}

// Someone offers the service, or the bus starts it on the first call.
bool ServiceReachable(GDBusConnection* bus) {
  if (GVariant* reply = CallBus(bus, "NameHasOwner", g_variant_new("(s)", kService), "(b)")) {
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    if (owned) return true;
  }
  GVariant* reply = CallBus(bus, "ListActivatableNames", nullptr, "(as)");
  if (!reply) return false;
  const gchar** names = nullptr;
  g_variant_get(reply, "(^a&s)", &names);
  const bool startable = names && g_strv_contains(names, kService);
  g_free(names);
  g_variant_unref(reply);
  return startable;
}

// Texts from outside (a guide's titles) need not be valid UTF-8, which a
// bus message must be.
std::string ValidUtf8(const std::string& text) {
  gchar* valid = g_utf8_make_valid(text.c_str(), static_cast<gssize>(text.size()));
  std::string result = valid;
  g_free(valid);
  return result;
}

// Services show the body as markup: "Tom & Jerry" must stay text.
std::string EscapedBody(const std::string& body) {
  gchar* escaped = g_markup_escape_text(ValidUtf8(body).c_str(), -1);
  std::string result = escaped;
  g_free(escaped);
  return result;
}

// The service takes an icon as a file URI (or a theme's icon name).
std::string IconUri(const std::string& iconPng) {
  if (iconPng.empty() || !g_path_is_absolute(iconPng.c_str())) return {};
  gchar* uri = g_filename_to_uri(iconPng.c_str(), nullptr, nullptr);
  std::string result = uri ? uri : "";
  g_free(uri);
  return result;
}

}  // namespace

struct DesktopNotifier::Impl {
  std::string appName;
  std::string icon;
  GDBusConnection* bus = nullptr;

  void Drop() {
    if (bus) g_object_unref(bus);
    bus = nullptr;
  }
};

DesktopNotifier::DesktopNotifier(std::string appName, std::string iconPng, void* /*window*/)
    : impl_(std::make_unique<Impl>()) {
  impl_->appName = ValidUtf8(appName);
  impl_->icon = IconUri(iconPng);
}

DesktopNotifier::~DesktopNotifier() {
  // A notice sent just before the program ends still goes out.
  if (impl_->bus) g_dbus_connection_flush_sync(impl_->bus, nullptr, nullptr);
  impl_->Drop();
}

bool DesktopNotifier::Notify(const std::string& title, const std::string& body) {
  Impl& n = *impl_;
  if (n.bus && g_dbus_connection_is_closed(n.bus)) n.Drop();  // the session's bus restarted
  if (!n.bus) n.bus = Connect();
  if (!n.bus || !ServiceReachable(n.bus)) return false;

  GVariantBuilder actions, hints;
  g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
  g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
  GVariant* args = g_variant_new("(susssasa{sv}i)", n.appName.c_str(), guint32{0}, n.icon.c_str(),
                                 ValidUtf8(title).c_str(), EscapedBody(body).c_str(), &actions, &hints, gint32{-1});
  GDBusMessage* message = g_dbus_message_new_method_call(kService, kObject, kService, "Notify");
  g_dbus_message_set_body(message, args);
  // Sent without waiting for the service's answer (the id of the notice,
  // which nothing here uses); the bus starts the service when it must.
  g_dbus_message_set_flags(message, G_DBUS_MESSAGE_FLAGS_NO_REPLY_EXPECTED);
  const bool sent = g_dbus_connection_send_message(n.bus, message, G_DBUS_SEND_MESSAGE_FLAGS_NONE, nullptr, nullptr);
  g_object_unref(message);
  return sent;
}
