#include "i18n/languages.h"

// The 33 languages in the order of the language picker. Codes are what the
// picker stores in Lang; the date locales are the names the date formatter
// understands (Serbian and Bosnian in Latin script, Norwegian as Bokmål).
// Menu words: home, live, movies, series, search, settings, reload, exit,
// playlist, sports.
constinit const LanguageEntry kLanguages[kLanguageCount] = {
    {u"en", u"English", "en-US",
     {u"Home", u"Live", u"Movies", u"Series", u"Search", u"Settings", u"Reload", u"Exit", u"Playlist", u"Sports"},
     kTextsEn},
    {u"ro", u"Română", "ro-RO",
     {u"Acasă", u"Live", u"Filme", u"Seriale", u"Căutare", u"Setări", u"Reîncarcă", u"Ieșire", u"Playlist", u"Sport"},
     kTextsRo},
    {u"de", u"Deutsch", "de-DE",
     {u"Start", u"Live", u"Filme", u"Serien", u"Suche", u"Einstellungen", u"Neu laden", u"Beenden", u"Playlist", u"Sport"},
     kTextsDe},
    {u"fr", u"Français", "fr-FR",
     {u"Accueil", u"Direct", u"Films", u"Séries", u"Recherche", u"Paramètres", u"Recharger", u"Quitter", u"Playlist", u"Sports"},
     kTextsFr},
    {u"es", u"Español", "es-ES",
     {u"Inicio", u"En directo", u"Películas", u"Series", u"Buscar", u"Ajustes", u"Recargar", u"Salir", u"Lista", u"Deportes"},
     kTextsEs},
    {u"it", u"Italiano", "it-IT",
     {u"Home", u"Live", u"Film", u"Serie TV", u"Cerca", u"Impostazioni", u"Ricarica", u"Esci", u"Playlist", u"Sport"},
     kTextsIt},
    {u"pt", u"Português", "pt-PT",
     {u"Início", u"Direto", u"Filmes", u"Séries", u"Pesquisar", u"Definições", u"Recarregar", u"Sair", u"Lista", u"Desporto"},
     kTextsPt},
    {u"nl", u"Nederlands", "nl-NL",
     {u"Start", u"Live", u"Films", u"Series", u"Zoeken", u"Instellingen", u"Herladen", u"Afsluiten", u"Afspeellijst", u"Sport"},
     kTextsNl},
    {u"pl", u"Polski", "pl-PL",
     {u"Start", u"Na żywo", u"Filmy", u"Seriale", u"Szukaj", u"Ustawienia", u"Odśwież", u"Wyjście", u"Playlista", u"Sport"},
     kTextsPl},
    {u"cs", u"Čeština", "cs-CZ",
     {u"Domů", u"Živě", u"Filmy", u"Seriály", u"Hledat", u"Nastavení", u"Obnovit", u"Konec", u"Playlist", u"Sport"},
     kTextsCs},
    {u"sk", u"Slovenčina", "sk-SK",
     {u"Domov", u"Naživo", u"Filmy", u"Seriály", u"Hľadať", u"Nastavenia", u"Obnoviť", u"Koniec", u"Playlist", u"Šport"},
     kTextsSk},
    {u"hu", u"Magyar", "hu-HU",
     {u"Főoldal", u"Élő", u"Filmek", u"Sorozatok", u"Keresés", u"Beállítások", u"Frissítés", u"Kilépés", u"Lista", u"Sport"},
     kTextsHu},
    {u"el", u"Ελληνικά", "el-GR",
     {u"Αρχική", u"Live", u"Ταινίες", u"Σειρές", u"Αναζήτηση", u"Ρυθμίσεις", u"Ανανέωση", u"Έξοδος", u"Playlist", u"Αθλητικά"},
     kTextsEl},
    {u"bg", u"Български", "bg-BG",
     {u"Начало", u"На живо", u"Филми", u"Сериали", u"Търсене", u"Настройки", u"Презареди", u"Изход", u"Плейлист", u"Спорт"},
     kTextsBg},
    {u"hr", u"Hrvatski", "hr-HR",
     {u"Početna", u"Uživo", u"Filmovi", u"Serije", u"Traži", u"Postavke", u"Osvježi", u"Izlaz", u"Playlista", u"Sport"},
     kTextsHr},
    {u"sr", u"Srpski", "sr-Latn-RS",
     {u"Početna", u"Uživo", u"Filmovi", u"Serije", u"Pretraga", u"Podešavanja", u"Osveži", u"Izlaz", u"Plejlista", u"Sport"},
     kTextsSr},
    {u"sl", u"Slovenščina", "sl-SI",
     {u"Domov", u"V živo", u"Filmi", u"Serije", u"Iskanje", u"Nastavitve", u"Osveži", u"Izhod", u"Seznam", u"Šport"},
     kTextsSl},
    {u"sv", u"Svenska", "sv-SE",
     {u"Hem", u"Live", u"Filmer", u"Serier", u"Sök", u"Inställningar", u"Ladda om", u"Avsluta", u"Spellista", u"Sport"},
     kTextsSv},
    {u"da", u"Dansk", "da-DK",
     {u"Hjem", u"Live", u"Film", u"Serier", u"Søg", u"Indstillinger", u"Genindlæs", u"Afslut", u"Playliste", u"Sport"},
     kTextsDa},
    {u"no", u"Norsk", "nb-NO",
     {u"Hjem", u"Direkte", u"Filmer", u"Serier", u"Søk", u"Innstillinger", u"Oppdater", u"Avslutt", u"Spilleliste", u"Sport"},
     kTextsNo},
    {u"fi", u"Suomi", "fi-FI",
     {u"Koti", u"Live", u"Elokuvat", u"Sarjat", u"Haku", u"Asetukset", u"Päivitä", u"Poistu", u"Soittolista", u"Urheilu"},
     kTextsFi},
    {u"et", u"Eesti", "et-EE",
     {u"Avaleht", u"Otse", u"Filmid", u"Sarjad", u"Otsing", u"Seaded", u"Laadi uuesti", u"Välju", u"Esitusloend", u"Sport"},
     kTextsEt},
    {u"lv", u"Latviešu", "lv-LV",
     {u"Sākums", u"Tiešraide", u"Filmas", u"Seriāli", u"Meklēt", u"Iestatījumi", u"Pārlādēt", u"Iziet", u"Saraksts", u"Sports"},
     kTextsLv},
    {u"lt", u"Lietuvių", "lt-LT",
     {u"Pradžia", u"Tiesiogiai", u"Filmai", u"Serialai", u"Paieška", u"Nustatymai", u"Atnaujinti", u"Išeiti", u"Grojaraštis", u"Sportas"},
     kTextsLt},
    {u"ga", u"Gaeilge", "ga-IE",
     {u"Baile", u"Beo", u"Scannáin", u"Sraitheanna", u"Cuardaigh", u"Socruithe", u"Athlódáil", u"Scoir", u"Seinmliosta", u"Spórt"},
     kTextsGa},
    {u"mt", u"Malti", "mt-MT",
     {u"Dar", u"Live", u"Films", u"Serje", u"Fittex", u"Settings", u"Erġa' tella'", u"Oħroġ", u"Playlist", u"Sport"},
     kTextsMt},
    {u"uk", u"Українська", "uk-UA",
     {u"Головна", u"Ефір", u"Фільми", u"Серіали", u"Пошук", u"Налаштування", u"Оновити", u"Вихід", u"Плейлист", u"Спорт"},
     kTextsUk},
    {u"sq", u"Shqip", "sq-AL",
     {u"Kreu", u"Live", u"Filma", u"Seriale", u"Kërko", u"Cilësimet", u"Rifresko", u"Dil", u"Playlist", u"Sport"},
     kTextsSq},
    {u"bs", u"Bosanski", "bs-Latn-BA",
     {u"Početna", u"Uživo", u"Filmovi", u"Serije", u"Pretraga", u"Postavke", u"Osvježi", u"Izlaz", u"Playlista", u"Sport"},
     kTextsBs},
    {u"mk", u"Македонски", "mk-MK",
     {u"Почетна", u"Во живо", u"Филмови", u"Серии", u"Пребарај", u"Поставки", u"Освежи", u"Излез", u"Плејлиста", u"Спорт"},
     kTextsMk},
    {u"is", u"Íslenska", "is-IS",
     {u"Heim", u"Beint", u"Kvikmyndir", u"Þættir", u"Leita", u"Stillingar", u"Endurhlaða", u"Hætta", u"Spilunarlisti", u"Íþróttir"},
     kTextsIs},
    {u"ca", u"Català", "ca-ES",
     {u"Inici", u"Directe", u"Pel·lícules", u"Sèries", u"Cerca", u"Configuració", u"Recarrega", u"Surt", u"Llista", u"Esports"},
     kTextsCa},
    {u"tr", u"Türkçe", "tr-TR",
     {u"Ana Sayfa", u"Canlı", u"Filmler", u"Diziler", u"Ara", u"Ayarlar", u"Yenile", u"Çıkış", u"Liste", u"Spor"},
     kTextsTr},
};

namespace {

bool InRange(int index) { return index >= 0 && index < kLanguageCount; }

}  // namespace

std::u16string_view LanguageCode(int index) { return InRange(index) ? kLanguages[index].code : u""; }

std::u16string_view LanguageName(int index) {
  return InRange(index) ? kLanguages[index].native_name : u"";
}

std::string_view DateLocale(int index) { return InRange(index) ? kLanguages[index].date_locale : ""; }

std::u16string_view MenuWord(int index, int word) {
  if (!InRange(index) || word < 0 || word >= kMenuWordCount) return {};
  return kLanguages[index].menu_words[word];
}
