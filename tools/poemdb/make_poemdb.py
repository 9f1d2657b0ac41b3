#!/usr/bin/python3
"""Writes resources/Tornevi.db, the poem database the program embeds.

The 89 poems are original verse put together here from word lists and line
patterns written for this tool. Everything is driven by one fixed seed and a
PRNG of our own, so every run writes the same bytes (Python's own random
module has changed its algorithms between releases).

Usage: /usr/bin/python3 tools/poemdb/make_poemdb.py [output path]
"""

import os
import sqlite3
import struct
import sys

SEED = 0x70E3_1942

# Figures the reader and its tests rely on.
ROWS = 89
FIRST_KEY = 782
TOTAL_CHARS = 202_735
TOTAL_LINES = 5_438
TOTAL_EMPTY = 116
SINGLE_EMPTY_POEMS = 81
MIN_CHARS, MAX_CHARS = 150, 11_486
MIN_BYTES, MAX_BYTES = 155, 12_505
MIN_LINES, MAX_LINES = 10, 446
LONGEST_LINE = 85
INNER_NBSP = 154
LEADING_SPACE_LINES = 6
PAGE_SIZE = 4096
TARGET_PAGES = 68

NBSP = "\u00a0"
CRLF = "\r\n"

# The table's one definition, shared with the program and its tests. Read without newline
# translation: SQLite keeps the statement's bytes as they are.
SCHEMA_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                           "..", "..", "resources", "schema", "tbl_Data.sql")
with open(SCHEMA_FILE, encoding="utf-8", newline="") as schema_file:
    SCHEMA = schema_file.read().removesuffix("\n")

# Header fields given the values of the database this reader was made for:
# change counter, version-valid-for (kept equal to it, so SQLite goes on
# trusting the page count in the header), schema cookie, writer's version.
HEADER_PATCH = [(24, 364), (92, 364), (40, 14), (96, 3023001)]

ALLOWED = set(chr(c) for c in range(0x20, 0x7f))
ALLOWED |= set("áéíóöőúüűÁÉÍÓÖŐÚÜäč„”‘’")
REQUIRED = "őűŐäč„”‘’"
VOWELS = "aáeéiíoóöőuúüűAÁEÉIÍOÓÖŐUÚÜ"


class Rng:
    """splitmix64: tiny, fast and stable across Python releases."""

    MASK = (1 << 64) - 1

    def __init__(self, seed):
        self.state = seed & self.MASK

    def next64(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & self.MASK
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & self.MASK
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & self.MASK
        return z ^ (z >> 31)

    def below(self, n):
        return self.next64() % n

    def randint(self, lo, hi):
        return lo + self.below(hi - lo + 1)

    def chance(self, p):
        return self.next64() < int(p * (1 << 64))

    def choice(self, seq):
        return seq[self.below(len(seq))]

    def shuffle(self, seq):
        for i in range(len(seq) - 1, 0, -1):
            j = self.below(i + 1)
            seq[i], seq[j] = seq[j], seq[i]


# --------------------------------------------------------------------------
# Vocabulary. Noun kinds decide which verbs fit them:
# W weather and air, L light and sky, A water, B plants and animals,
# S sounds, H people, Y heart and soul, T places and things, X time and feelings.

NOUNS = [
    # nominative, accusative, kind, themes
    ("szél", "szelet", "W", "ősz tél táj víz"),
    ("köd", "ködöt", "W", "ősz"),
    ("eső", "esőt", "W", "ősz tavasz"),
    ("hó", "havat", "W", "tél"),
    ("felhő", "felhőt", "W", "táj ősz"),
    ("vihar", "vihart", "W", "nyár"),
    ("zápor", "záport", "W", "nyár"),
    ("hold", "holdat", "L", "éj"),
    ("nap", "napot", "L", "nyár"),
    ("csillag", "csillagot", "L", "éj"),
    ("fény", "fényt", "L", "nyár tavasz"),
    ("láng", "lángot", "L", "tél"),
    ("tűz", "tüzet", "L", "tél"),
    ("gyertya", "gyertyát", "L", "tél harang"),
    ("lámpa", "lámpát", "L", "éj"),
    ("hajnal", "hajnalt", "L", "tavasz táj"),
    ("ég", "eget", "L", "éj táj"),
    ("folyó", "folyót", "A", "víz"),
    ("patak", "patakot", "A", "víz"),
    ("tó", "tavat", "A", "víz"),
    ("tenger", "tengert", "A", "víz"),
    ("forrás", "forrást", "A", "víz táj"),
    ("madár", "madarat", "B", "tavasz"),
    ("fecske", "fecskét", "B", "tavasz"),
    ("rigó", "rigót", "B", "tavasz"),
    ("galamb", "galambot", "B", "harang"),
    ("pillangó", "pillangót", "B", "nyár"),
    ("fa", "fát", "B", "táj"),
    ("fűzfa", "fűzfát", "B", "víz"),
    ("nyárfa", "nyárfát", "B", "táj"),
    ("akác", "akácot", "B", "nyár"),
    ("fenyő", "fenyőt", "B", "tél"),
    ("rózsa", "rózsát", "B", "szerelem nyár"),
    ("virág", "virágot", "B", "tavasz"),
    ("pipacs", "pipacsot", "B", "nyár"),
    ("búza", "búzát", "B", "nyár"),
    ("nádas", "nádast", "B", "víz"),
    ("levél", "levelet", "B", "ősz"),
    ("harang", "harangot", "S", "harang"),
    ("dal", "dalt", "S", "dal"),
    ("ének", "éneket", "S", "dal harang"),
    ("hegedű", "hegedűt", "S", "dal"),
    ("furulya", "furulyát", "S", "dal"),
    ("hang", "hangot", "S", "dal"),
    ("ház", "házat", "T", "emlék"),
    ("ablak", "ablakot", "T", "emlék"),
    ("kapu", "kaput", "T", "emlék"),
    ("kút", "kutat", "T", "emlék"),
    ("szoba", "szobát", "T", "emlék éj"),
    ("kert", "kertet", "T", "táj"),
    ("mező", "mezőt", "T", "nyár táj"),
    ("domb", "dombot", "T", "táj"),
    ("út", "utat", "T", "út"),
    ("ösvény", "ösvényt", "T", "út"),
    ("vonat", "vonatot", "T", "út"),
    ("híd", "hidat", "T", "víz út"),
    ("templom", "templomot", "T", "harang"),
    ("torony", "tornyot", "T", "harang"),
    ("falu", "falut", "T", "emlék"),
    ("város", "várost", "T", "út"),
    ("erdő", "erdőt", "T", "táj ősz"),
    ("hegy", "hegyet", "T", "táj"),
    ("völgy", "völgyet", "T", "táj"),
    ("bölcső", "bölcsőt", "T", "anya"),
    ("kenyér", "kenyeret", "T", "anya"),
    ("emlék", "emléket", "X", "emlék"),
    ("árnyék", "árnyékot", "X", "éj"),
    ("csend", "csendet", "X", "éj"),
    ("idő", "időt", "X", "emlék"),
    ("óra", "órát", "X", "éj emlék"),
    ("este", "estét", "X", "éj"),
    ("éjszaka", "éjszakát", "X", "éj"),
    ("nyár", "nyarat", "X", "nyár"),
    ("ősz", "őszt", "X", "ősz"),
    ("tél", "telet", "X", "tél"),
    ("tavasz", "tavaszt", "X", "tavasz"),
    ("remény", "reményt", "X", "szerelem"),
    ("mosoly", "mosolyt", "X", "szerelem anya"),
    ("könny", "könnyet", "X", "szerelem"),
    ("szó", "szót", "X", "szerelem"),
]

# Noun phrases that carry their own article or possessive ending.
OWN_PHRASES = [
    ("a szívem", "a szívemet", "Y", "szerelem"),
    ("a lelkem", "a lelkemet", "Y", ""),
    ("anyám", "anyámat", "H", "anya"),
    ("apám", "apámat", "H", "emlék anya"),
    ("a kedvesem", "a kedvesemet", "H", "szerelem"),
    ("az álmom", "az álmomat", "Y", ""),
    ("a dalom", "a dalomat", "S", "dal"),
    ("a házunk", "a házunkat", "T", "emlék"),
    ("a kertünk", "a kertünket", "T", "táj"),
    ("a Tisza", "a Tiszát", "A", "víz"),
    ("a Duna", "a Dunát", "A", "víz"),
    ("a Balaton", "a Balatont", "A", "víz"),
    ("a Mátra", "a Mátrát", "T", "táj"),
    ("a gyermekkorom", "a gyermekkoromat", "X", "emlék"),
    ("az ifjúságom", "az ifjúságomat", "X", "emlék"),
    ("a vándor", "a vándort", "H", "út"),
    ("az öreg pásztor", "az öreg pásztort", "H", "táj"),
    ("a kisfiam", "a kisfiamat", "H", "anya"),
    ("a nagyanyám", "a nagyanyámat", "H", "anya emlék"),
]

ADJECTIVES = [
    "csendes", "halk", "fáradt", "árva", "régi", "messzi", "néma", "szelíd",
    "tiszta", "bús", "sápadt", "álmos", "kicsi", "hűvös", "szomorú", "fehér",
    "szürke", "hajnali", "esti", "éji", "őszi", "téli", "nyári", "tavaszi",
    "vén", "öreg", "arany", "ezüst", "kék", "piros", "zöld", "sötét", "hideg",
    "meleg", "édes", "vad", "könnyű", "ködös", "havas", "lágy", "drága",
    "boldog", "magányos", "elfeledett", "titkos", "utolsó", "első", "mély",
    "nagy", "kis", "hűséges", "ünnepi", "csillagos", "hamvas", "tűnő",
]

PREDICATES = [
    "csendes", "üres", "hideg", "szürke", "fehér", "sötét", "néma", "tiszta",
    "mély", "nehéz", "könnyű", "szép", "kék", "árva", "fáradt", "hűvös",
    "szomorú", "boldog", "álmos", "ködös", "sápadt", "szelíd", "vidám",
    "édes", "keserű", "messze", "örök", "meleg", "friss", "vörös",
]

PLACES = [
    ("a kert alján", "táj"), ("a domb fölött", "táj"), ("a fák között", "táj"),
    ("a völgyben", "táj"), ("a parton", "víz"), ("az ablak előtt", "emlék"),
    ("a híd alatt", "víz"), ("a mezőn", "nyár"), ("a tó felett", "víz"),
    ("a falu szélén", "emlék"), ("a torony alatt", "harang"),
    ("a csendes utcán", "éj"), ("a régi ház előtt", "emlék"),
    ("a Tisza partján", "víz"), ("a Duna fölött", "víz"),
    ("a hegyek mögött", "táj"), ("a nádas mélyén", "víz"),
    ("az ablakomban", "emlék"), ("a szívem mélyén", "szerelem"),
    ("a sötét szobában", "éj"), ("a kertünk végén", "táj"),
    ("a tűz mellett", "tél"), ("a hó alatt", "tél"), ("a ködben", "ősz"),
    ("az esőben", "ősz"), ("a búzamezőn", "nyár"),
    ("a felhők között", "táj"), ("a csillagok alatt", "éj"),
    ("a templom előtt", "harang"), ("a küszöbön", "emlék"),
    ("a kút mellett", "emlék"), ("az állomáson", "út"), ("az úton", "út"),
    ("a sínek mellett", "út"), ("a bölcső fölött", "anya"),
    ("a konyhában", "anya"), ("az asztal mellett", "anya"),
    ("a lámpa alatt", "éj"), ("a fenyők között", "tél"),
    ("a szőlőhegyen", "ősz"), ("a réten", "tavasz"),
    ("a patak mentén", "víz"), ("a hídon", "víz"),
    ("az ágak között", "tavasz"), ("a homályban", "éj"),
    ("a hajnali fényben", "tavasz"), ("a messzeségben", "út"),
    ("a mélyben", "víz"), ("a kapu előtt", "emlék"),
    ("a régi padon", "szerelem"), ("a kezem fölött", "szerelem"),
    ("a dűlőúton", "út"), ("a harangszóban", "harang"),
    ("a tarlón", "ősz"), ("a jégmezőn", "tél"),
]

TIMES = [
    ("hajnalban", ""), ("éjjel", "éj"), ("este", "éj"), ("ősszel", "ősz"),
    ("tavasszal", "tavasz"), ("nyáron", "nyár"), ("télen", "tél"),
    ("estefelé", "éj"), ("alkonyatkor", "éj"), ("napkeltekor", "tavasz"),
    ("éjfélkor", "éj"), ("délben", "nyár"), ("most", ""), ("ma este", "éj"),
    ("ma éjjel", "éj"), ("reggel", ""), ("vasárnap", "harang"),
    ("azóta", "emlék"), ("régóta", "emlék"), ("néha", ""), ("mindig", ""),
    ("olykor", ""), ("holnap", "út"), ("ilyenkor", ""),
    ("karácsonykor", "tél"), ("szüretkor", "ősz"), ("aratáskor", "nyár"),
]

MANNERS = [
    "csendesen", "halkan", "lassan", "szelíden", "némán", "vidáman",
    "szomorúan", "fáradtan", "remegve", "boldogan", "csendben", "titkon",
    "egyre", "újra", "megint", "egyedül", "könnyedén", "dúdolva",
    "hűségesen", "álmosan", "félve", "hosszan",
]

# Intransitive verbs in the third person singular, grouped by what they
# rhyme with; each names the noun kinds it suits.
VERBS3 = {
    "og": [("ragyog", "LAWY"), ("zokog", "SHWY"), ("dobog", "Y"),
           ("lobog", "L"), ("susog", "BWA"), ("mosolyog", "HLB"),
           ("kopog", "W"), ("csobog", "A"), ("forog", "WX")],
    "eg": [("remeg", "BLHASY"), ("lebeg", "WBXSY"), ("didereg", "BHTY"),
           ("pereg", "XW"), ("csepereg", "W"), ("ténfereg", "H")],
    "ög": [("zörög", "BTW"), ("pörög", "XWB"), ("dörög", "W"),
           ("nyöszörög", "HWT")],
    "ad": [("marad", "WLABSHTXY"), ("halad", "AXH"), ("szakad", "WY"),
           ("fakad", "BS"), ("hasad", "LY"), ("apad", "A"),
           ("szalad", "AXH"), ("elakad", "SX")],
    "ül": [("repül", "BXS"), ("szédül", "HBY"), ("merül", "LY"),
           ("derül", "LHY"), ("hevül", "HY"), ("menekül", "HBXY"),
           ("csendesül", "WAHSXY"), ("szelídül", "WAHXY"), ("rezdül", "BHAY"),
           ("elül", "WS")],
    "ul": [("fordul", "WXHLY"), ("borul", "LW"), ("indul", "HTX"),
           ("lapul", "BHX"), ("elnémul", "SHBWY"), ("vidul", "HLY"),
           ("ámul", "H")],
    "ál": [("muzsikál", "SBA"), ("sétál", "H"), ("kószál", "HWX"),
           ("szitál", "W"), ("kiabál", "BH"), ("száll", "BWSXL"),
           ("áll", "THB")],
    "él": [("zenél", "SAB"), ("mesél", "HSAWX"), ("beszél", "HWAB"),
           ("él", "HXBY"), ("fél", "HBY")],
    "ol": [("dalol", "BHASY"), ("táncol", "LBWHY"), ("kóborol", "HWX"),
           ("vándorol", "HWL"), ("tombol", "WX")],
    "eng": [("leng", "BW"), ("zeng", "S"), ("cseng", "S"), ("reng", "TY"),
            ("dereng", "LX"), ("mereng", "HY")],
    "ong": [("bolyong", "HWL"), ("kong", "ST"), ("zsong", "BSX"),
            ("borong", "WLY")],
    "ik": [("alszik", "HBTALXY"), ("fázik", "HBTY"), ("ázik", "TBH"),
           ("nyílik", "BT"), ("hajlik", "B"), ("múlik", "X"),
           ("álmodik", "HTBA"), ("emlékezik", "H"), ("imádkozik", "H"),
           ("sóhajtozik", "HWBY")],
}

# First person singular, intransitive.
VERBS1 = {
    "ok": ["várok", "állok", "járok", "sírok", "hallgatok", "maradok",
           "bolyongok", "virrasztok", "ballagok", "dalolok"],
    "ek": ["élek", "félek", "nézek", "megyek", "pihenek", "ébredek",
           "merengek", "remegek", "hazatérek", "lépdelek"],
}

# First person singular with a definite object; each names the object kinds.
VERBSD = {
    "om": [("várom", "WLABSHTXY"), ("látom", "WLABHTX"), ("hallom", "SWABH"),
           ("siratom", "XHTBY"), ("hordom", "XSY"), ("csókolom", "HB"),
           ("takarom", "HTB"), ("dúdolom", "S")],
    "em": [("keresem", "WLABSHTXY"), ("szeretem", "WLABSHTXY"),
           ("nézem", "LBTAW"), ("érzem", "WXLHY"), ("féltem", "HBTXY"),
           ("temetem", "XY"), ("idézem", "XHS"), ("ismerem", "WLABSHTXY"),
           ("viszem", "XSY")],
    "öm": [("őrzöm", "XHTLSY"), ("ölelöm", "HBT"), ("küldöm", "SXY"),
           ("köszönöm", "XL")],
}

IMPERATIVES = [
    "maradj velem", "ne félj", "ne sírj", "gyere ide", "ülj le mellém",
    "fogd a kezem", "hallgasd a szelet", "nézd a holdat", "ne menj még el",
    "aludj csendesen", "ne szólj semmit", "figyelj csak", "várj egy kicsit",
    "mondd el nekem", "gyere haza", "emlékezz rám", "ne felejts el",
    "nyisd ki az ablakot", "gyújts gyertyát", "énekelj nekem",
]

VOCATIVES = [
    "kedvesem", "édesanyám", "anyám", "testvérem", "barátom",
    "öreg barátom", "szívem", "kisfiam", "kislányom", "drágám", "te szép",
    "lelkem", "apám", "vándor", "kedves",
]

SAYING = ["susogja", "suttogja", "mondja", "dúdolja", "zúgja", "üzeni",
          "kérdezi", "kiáltja"]

QUOTED_WORDS = ["holnap", "soha", "mindig", "vége", "szeretlek",
                "isten veled", "otthon", "tavasz", "várj", "bocsáss meg"]

CONJUNCTIONS = ["és", "de", "s", "mert", "míg", "ahogy", "amíg", "mégis",
                "aztán", "pedig"]

# Whole lines of our own, used now and then among the patterned ones.
OWN_LINES = [
    "így megy el minden, ami szép",
    "de holnap újra kezdődik minden",
    "nem kérdezem, hová visz az út",
    "csak a csend felel",
    "és nincs, aki meghallja",
    "minden, ami volt, itt marad velem",
    "senki sem tudja, meddig tart még",
    "mint egy elfeledett, régi ének",
    "ahogy a víz, úgy fut az idő",
    "nem bánom már, ha elmegyek",
    "valahol most is esteledik",
    "így volt ez mindig, így lesz ezután is",
    "csak egy szó kellene, egyetlen szó",
    "és nem jön vissza soha többé",
    "ó, ha tudnám, mit rejt a holnap",
    "a szívemben most is nyár van",
    "hazavárnak még a dombok",
    "tudom, hogy ez is elmúlik egyszer",
    "minden reggel új remény",
    "mégis hiszem, hogy lesz tavasz",
    "a kenyér illata száll a konyhán",
    "a kályhában pattog a tűz",
    "a sarokban öreg óra ketyeg",
    "nagyanyám kendője a szögön",
    "a fecskék délre készülnek",
    "a tarlón varjak lépegetnek",
    "a jég alatt hallgat a víz",
    "a diófa ágán szél kotorász",
    "a kútágas árnyéka nyúlik",
    "a gólya fészke üres már",
    "a szőlőhegyen lámpák gyúlnak",
    "az ablakon jégvirág nyílik",
    "a harangszó messzire száll",
    "a vonat füttye belevész a ködbe",
    "a sínek mentén pipacs virít",
    "a kapufélfán repedt a festék",
    "egy levél hull, aztán még egy",
    "nem vár már senki a kapuban",
    "a padláson régi levelek",
    "az úton por száll a szekér után",
]

TITLES = [
    # title, themes
    ("Esti dal", "éj dal"),
    ("Tó", "víz"),
    ("Éjszakai beszélgetés az öreg holddal", "éj"),
    ("Őszi napfény", "ősz"),
    ("Hajnal a Tisza partján", "víz tavasz"),
    ("Anyám keze", "anya"),
    ("Téli reggel", "tél"),
    ("A régi ház", "emlék"),
    ("Harangszó", "harang"),
    ("Búcsú a nyártól", "nyár ősz"),
    ("Szél a nádasban", "víz"),
    ("Csendes óra", "éj"),
    ("Az út vége", "út"),
    ("Levél a kedvesemnek", "szerelem"),
    ("Tavaszi eső", "tavasz"),
    ("Fecskék", "tavasz"),
    ("Ablak előtt", "emlék"),
    ("Gyermekkor", "emlék"),
    ("Falusi este", "éj emlék"),
    ("Hóesés", "tél"),
    ("Virrasztás", "éj"),
    ("Emlékezés egy nyári délutánra", "nyár emlék"),
    ("A hegedűs", "dal"),
    ("Altató", "anya"),
    ("Kései vallomás", "szerelem"),
    ("Novemberi ének", "ősz"),
    ("Akácok alatt", "nyár"),
    ("Halottak napján", "ősz harang"),
    ("Az öreg kút", "emlék"),
    ("Szürkület", "éj"),
    ("Dal a hazatérésről", "út dal"),
    ("Vándor", "út"),
    ("Mezők fölött", "táj"),
    ("Nyári zápor", "nyár"),
    ("A kert", "táj"),
    ("Csillagok", "éj"),
    ("Karácsony előtt", "tél harang"),
    ("Újév", "tél"),
    ("Márciusi szél", "tavasz"),
    ("Rózsák", "szerelem"),
    ("Kérdés", "szerelem"),
    ("Ima", "harang"),
    ("Vasárnap", "harang"),
    ("Öregség", "emlék"),
    ("Ének a Dunáról", "víz dal"),
    ("Könnyek", "szerelem"),
    ("Búzamező", "nyár"),
    ("Pipacsok", "nyár"),
    ("Szüret", "ősz"),
    ("Köd", "ősz"),
    ("Éjféli vonat", "út éj"),
    ("A híd", "víz út"),
    ("Állomáson", "út"),
    ("Hazafelé", "út"),
    ("Testvéremnek", "anya"),
    ("Apám emlékére", "emlék anya"),
    ("Fák beszéde", "táj"),
    ("A hallgatás dicsérete", "éj"),
    ("Tükör", "emlék"),
    ("Szerelmes vers", "szerelem"),
    ("Hajnali ének", "tavasz dal"),
    ("Téli alkony", "tél"),
    ("Jégvirág", "tél"),
    ("Messzi hegyek", "táj út"),
    ("Mátrai emlék", "táj emlék"),
    ("Balatoni csend", "víz"),
    ("Nyárfák", "táj"),
    ("Holdfény", "éj"),
    ("A kis patak", "víz"),
    ("Elégia", "emlék"),
    ("Bölcsődal", "anya dal"),
    ("Egy régi fénykép", "emlék"),
    ("Szeptember", "ősz"),
    ("Május", "tavasz"),
    ("A költő és a csend", "dal éj"),
    ("Szél, eső, köd", "ősz"),
    ("Ugye, emlékszel még?", "szerelem emlék"),
    ("„Csak egy szó”", "szerelem"),
    ("Hol vagy most?", "szerelem"),
    ("Óda a kenyérhez", "anya"),
    ("Esőben", "ősz"),
    ("Napforduló", "tél"),
    ("Ébredés", "tavasz"),
    ("Útravaló", "út"),
    ("Utolsó levél", "szerelem"),
    ("Számvetés", "emlék"),
    ("Bodzavirág", "nyár"),
    ("Az öreg ház krónikája", "emlék"),
]

SHARED_TITLE = "Esti dal"
SPECIAL_TITLE = "Csendes óra"       # the one poem that opens with an empty line
LONGEST_POEM = "Az öreg ház krónikája"
SHORTEST_POEM = "Köd"
WIDE_TITLE = "A hallgatás dicsérete"  # holds the one line of full width

# Lines that must stand somewhere: ä and č are rare in Hungarian verse.
FORCED_LINES = {
    "Vasárnap": "Händel zenéje szól a templom felől",
    "Messzi hegyek": "Levoča tornyai fölött fehér felhő száll",
}

# Poems whose stanzas are set apart by empty lines: title -> stanza count.
SPACED_POEMS = {
    "Csendes óra": 3,          # plus its leading empty line: 4 empty lines
    "Esőben": 3,
    "Május": 4,
    "Rózsák": 5,
    "Altató": 4,
    "Fecskék": 6,
    "Kérdés": 5,
    "Jégvirág": 4,
}

# Closing lines set far to the right; this gives the rare indentations.
CLOSING_INDENTS = {
    "Ima": 44, "Elégia": 1, "Számvetés": 30, "Útravaló": 22, "Újév": 35,
    "Hazafelé": 26, "Apám emlékére": 40, "Öregség": 13, "Tükör": 5,
    "Kérdés": 4, "Virrasztás": 33, "Napforduló": 19,
}

# Poems where a few lines begin with ordinary spaces.
SPACE_INDENTED = {"Szürkület": 2, "Tükör": 2, "A költő és a csend": 2}


def article(word):
    return "az" if word[0] in VOWELS else "a"


def capitalise(line):
    for i, ch in enumerate(line):
        if ch.isalpha():
            return line[:i] + ch.upper() + line[i + 1:]
    return line


class Words:
    """Picks words for one poem, leaning towards its themes."""

    def __init__(self, rng, themes):
        self.rng = rng
        self.themes = themes.split()

    def themed(self, items, theme_of):
        if self.rng.chance(0.55):
            picked = [it for it in items if any(t in theme_of(it).split() for t in self.themes)]
            if picked:
                return self.rng.choice(picked)
        return self.rng.choice(items)

    def noun(self, kinds=None):
        pool = NOUNS + OWN_PHRASES
        if kinds:
            pool = [n for n in pool if n[2] in kinds]
        return self.themed(pool, lambda n: n[3])

    def phrase(self, entry, accusative=False, adjective=True):
        """Noun phrase with its article, e.g. 'az őszi szél'."""
        nom, acc, _, _ = entry
        word = acc if accusative else nom
        if entry in OWN_PHRASES:
            return word
        if adjective and self.rng.chance(0.6):
            adj = self.rng.choice(ADJECTIVES)
            return f"{article(adj)} {adj} {word}"
        return f"{article(word)} {word}"

    def subject(self, kinds=None, adjective=True):
        return self.phrase(self.noun(kinds), adjective=adjective)

    def place(self):
        return self.themed(PLACES, lambda p: p[1])[0]

    def time(self, also=False):
        """A time adverb; also=True for the ones that take 'is' after them."""
        pool = [t for t in TIMES if t[0] not in ("néha", "mindig", "olykor")] if also else TIMES
        return self.themed(pool, lambda t: t[1])[0]

    def manner(self):
        return self.rng.choice(MANNERS)


def pick_verb3(rng, rhyme, exclude):
    group = VERBS3[rhyme] if rhyme else VERBS3[rng.choice(list(VERBS3))]
    choices = [v for v in group if v[0] not in exclude] or group
    return rng.choice(choices)


def clause3(w, rhyme=None, exclude=()):
    """A clause ending in a third person verb: (text, verb)."""
    rng = w.rng
    verb, kinds = pick_verb3(rng, rhyme, exclude)
    s = w.subject(kinds)
    form = rng.below(17)
    if form == 0:
        text = f"{s} {w.place()} {verb}"
    elif form == 1:
        text = f"{w.place()} {s} {verb}"
    elif form == 2:
        text = f"{w.time()} {s} {verb}"
    elif form == 3:
        text = f"{s} {w.manner()} {verb}"
    elif form == 4:
        text = f"és {s} {verb}"
    elif form == 5:
        text = f"s {s} {verb}"
    elif form == 6:
        text = f"{s} is {verb}"
    elif form == 7:
        text = f"{s} már nem {verb}"
    elif form == 8:
        text = f"{w.place()} valami {verb}"
    elif form == 9:
        text = f"ahol {s} {verb}"
    elif form == 10:
        text = f"míg {s} {w.place()} {verb}"
    elif form == 11:
        text = f"mert {s} {verb}"
    elif form == 12:
        text = f"{w.time()} {w.place()} {s} {verb}"
    elif form == 13:
        text = f"hallod, hogy {s} {verb}"
    elif form == 14:
        text = f"nézd, {w.place()} {s} {verb}"
    elif form == 15:
        text = f"{s} {w.manner()}, {w.manner()} {verb}"
    else:
        text = f"{w.manner()} {verb}"
    return text, verb


def clause1(w, rhyme=None, exclude=()):
    rng = w.rng
    group = VERBS1[rhyme] if rhyme else VERBS1[rng.choice(list(VERBS1))]
    verb = rng.choice([v for v in group if v not in exclude] or group)
    form = rng.below(10)
    if form == 0:
        text = f"{w.time()} {w.place()} {verb}"
    elif form == 1:
        text = f"én {w.place()} {verb}"
    elif form == 2:
        text = f"{w.place()} {w.manner()} {verb}"
    elif form == 3:
        text = f"még mindig {w.place()} {verb}"
    elif form == 4:
        text = f"és {w.manner()} {verb}"
    elif form == 5:
        v3, kinds = pick_verb3(rng, None, ())
        text = f"ha {w.subject(kinds)} {v3}, {w.manner()} {verb}"
    elif form == 6:
        text = f"{w.manner()} {verb}"
    elif form == 7:
        text = f"{w.time(True)} is {w.place()} {verb}"
    elif form == 8:
        text = f"s én {w.manner()} {verb}"
    else:
        text = f"{w.time()} {w.manner()} {verb}"
    return text, verb


def clause_def(w, rhyme=None, exclude=()):
    rng = w.rng
    group = VERBSD[rhyme] if rhyme else VERBSD[rng.choice(list(VERBSD))]
    verb, kinds = rng.choice([v for v in group if v[0] not in exclude] or group)
    obj = w.phrase(w.noun(kinds), accusative=True)
    form = rng.below(7)
    if form == 0:
        text = f"{obj} {w.manner()} {verb}"
    elif form == 1:
        text = f"{obj} {w.place()} {verb}"
    elif form == 2:
        text = f"{w.time(True)} is {obj} {verb}"
    elif form == 3:
        text = f"még most is {obj} {verb}"
    elif form == 4:
        text = f"{obj} {verb}"
    elif form == 5:
        v3, k3 = pick_verb3(rng, None, ())
        text = f"{w.subject(k3)} {v3}, s én {obj} {verb}"
    else:
        text = f"{w.manner()} {obj} {verb}"
    return text, verb


def free_line(w):
    """A line without a rhyme word at its end."""
    rng = w.rng
    form = rng.below(24)
    if form == 0:
        return f"{rng.choice(IMPERATIVES)}, {rng.choice(VOCATIVES)}!"
    if form == 1:
        return f"„{capitalise(rng.choice(IMPERATIVES))}, {rng.choice(VOCATIVES)}!”"
    if form == 2:
        return f"{w.subject()} azt {rng.choice(SAYING)}: „{capitalise(rng.choice(IMPERATIVES))}!”"
    if form == 3:
        return f"hová lett {w.subject()}?"
    if form == 4:
        return f"ki tudja, merre jár {w.subject('HWLAB')}?"
    if form == 5:
        v, kinds = pick_verb3(rng, None, ())
        return f"hallod-e, hogy {w.subject(kinds)} {v}?"
    if form == 6:
        v, kinds = pick_verb3(rng, None, ())
        return f"miért {v} {w.subject(kinds)} {w.place()}?"
    if form == 7:
        return f"látod-e {w.phrase(w.noun(), accusative=True)}?"
    if form == 8:
        return f"hol van már {w.subject()}?"
    if form == 9:
        a, b = rng.choice(ADJECTIVES), rng.choice(ADJECTIVES)
        return f"{a} {w.noun()[0].split()[-1]}, {b} {w.noun()[0].split()[-1]}"
    if form == 10:
        nouns = [n[0] for n in NOUNS]
        return f"{rng.choice(nouns)}, {rng.choice(nouns)} és {rng.choice(nouns)}"
    if form == 11:
        return f"ó, {rng.choice(ADJECTIVES)} {rng.choice(NOUNS)[0]}!"
    if form == 12:
        return f"{w.subject()} {w.place()}"
    if form == 13:
        return f"{rng.choice(PREDICATES)} {w.subject(adjective=False)}, {rng.choice(PREDICATES)} {w.subject(adjective=False)}"
    if form == 14:
        return f"oly {rng.choice(PREDICATES)} {w.subject()}"
    if form == 15:
        return f"{w.subject(adjective=False)} ma {rng.choice(PREDICATES)}"
    if form == 16:
        return f"{w.subject(adjective=False)} {w.time(True)} is {rng.choice(PREDICATES)}"
    if form == 17:
        return f"nem mondom ki azt, hogy ‘{rng.choice(QUOTED_WORDS)}’"
    if form in (18, 19):
        return rng.choice(OWN_LINES)
    if form == 20:
        v, kinds = pick_verb3(rng, None, ())
        return f"{v} {w.subject(kinds, adjective=False)}"
    if form == 21:
        return f"{w.manner()}, {w.manner()}"
    if form == 22:
        return f"{rng.choice(ADJECTIVES)} {rng.choice(NOUNS)[0]}"
    return w.time()


def long_line(w, rhyme_family, rhyme, exclude):
    """Two clauses joined: the long lines of the wider poems."""
    rng = w.rng
    first = rng.choice([clause3, clause1, clause_def])(w)[0]
    text, verb = rhymed(w, rhyme_family, rhyme, exclude)
    joiner = rng.choice(CONJUNCTIONS)
    # Questions, calls and fragments stand after a bare comma, never after a conjunction.
    if verb is None or text.split()[0] in CONJUNCTIONS or text.startswith(("ahol", "hallod", "nézd", "ha ", "s én")):
        return f"{first}, {text}", verb
    return f"{first}, {joiner} {text}", verb


def rhymed(w, family, rhyme, exclude):
    if family == "V3":
        return clause3(w, rhyme, exclude)
    if family == "V1":
        return clause1(w, rhyme, exclude)
    if family == "D":
        return clause_def(w, rhyme, exclude)
    rng = w.rng
    if rng.chance(0.45):
        return free_line(w), None
    return rng.choice([clause3, clause3, clause1, clause_def])(w)


RHYME_KEYS = ([("V3", k) for k in VERBS3] + [("V1", k) for k in VERBS1]
              + [("D", k) for k in VERBSD])


# --------------------------------------------------------------------------
# Planning: how long each poem is.

class Plan:
    def __init__(self, index, title, themes):
        self.index = index
        self.title = title
        self.themes = themes
        self.lines = 0
        self.chars = 0
        self.width = 0.0
        self.special = title == SPECIAL_TITLE and index == 0
        self.stanzas_spaced = 0
        self.byte_target = None
        self.wide_line = False


def make_plans(rng):
    titles = list(TITLES)
    shared = [t for t in titles if t[0] == SHARED_TITLE][0]
    order = [t for t in titles if t[0] != SPECIAL_TITLE]
    rng.shuffle(order)
    order.insert(0, [t for t in titles if t[0] == SPECIAL_TITLE][0])
    # The shared title names a second, different poem.
    order.insert(61, shared)
    assert len(order) == ROWS

    plans = [Plan(i, t, th) for i, (t, th) in enumerate(order)]
    free = []
    for p in plans:
        if p.title == LONGEST_POEM:
            p.lines, p.chars, p.width = MAX_LINES, MAX_CHARS, 0
            p.byte_target = MAX_BYTES
        elif p.title == SHORTEST_POEM:
            p.lines, p.chars, p.width = MIN_LINES, MIN_CHARS, 0
            p.byte_target = MIN_BYTES
        else:
            free.append(p)
        p.stanzas_spaced = SPACED_POEMS.get(p.title, 0)
        p.wide_line = p.title == WIDE_TITLE

    # Line counts: mostly short poems, some middling, a few long ones.
    for p in free:
        roll = rng.below(100)
        if p.stanzas_spaced:
            p.lines = rng.randint(18, 34)
        elif roll < 55:
            p.lines = rng.randint(12, 40)
        elif roll < 88:
            p.lines = rng.randint(40, 90)
        else:
            p.lines = rng.randint(90, 200)
        roll = rng.below(100)
        p.width = 16 + rng.below(10) if roll < 30 else (24 + rng.below(12) if roll < 85 else 36 + rng.below(14))
        if p.wide_line:
            p.width = 46
    adjust_total(rng, free, "lines", TOTAL_LINES - sum(p.lines for p in plans), 11, 300)

    # Characters follow from lines and line width; then settle the total.
    for p in free:
        p.chars = body_free_chars(p) + int(p.width * body_slots(p))
    adjust_total(rng, free, "chars", TOTAL_CHARS - sum(p.chars for p in plans),
                 MIN_CHARS + 1, MAX_CHARS - 1, step=7)
    for p in free:
        slots = body_slots(p)
        p.width = (p.chars - body_free_chars(p)) / slots
        assert 12 <= p.width <= 60, (p.title, p.width)
    return plans


def body_free_chars(p):
    """Characters that are not body text: the title and all separators."""
    return len(p.title) + 2 * (p.lines - 1)


def empty_lines(p):
    if p.stanzas_spaced:
        return p.stanzas_spaced + (1 if p.special else 0)
    return 1


def body_slots(p):
    return p.lines - 1 - empty_lines(p)


def adjust_total(rng, plans, field, diff, lo, hi, step=1):
    while diff:
        p = plans[rng.below(len(plans))]
        d = max(-step, min(step, diff))
        value = getattr(p, field) + d
        if lo <= value <= hi and (field != "chars" or 13 <= (value - body_free_chars(p)) / body_slots(p) <= 58):
            setattr(p, field, value)
            diff -= d


# --------------------------------------------------------------------------
# Writing one poem to its plan.

INDENT_STYLES = ["plain", "plain", "alt2", "alt2", "alt2", "couplet9", "step", "alt9", "refrain17"]


def layout(p, rng):
    """Slots of the poem after the title lines: None for an empty line, else
    (indent, rhyme key, stanza end?)."""
    body = body_slots(p)
    spaced = p.stanzas_spaced
    style = rng.choice(INDENT_STYLES)
    if p.byte_target == MIN_BYTES or p.wide_line:
        style = "plain"
    if p.byte_target == MAX_BYTES:
        style = "refrain17"
    # Stanza sizes.
    if spaced:
        sizes = [body // spaced] * spaced
        for i in range(body - sum(sizes)):
            sizes[i] += 1
    else:
        size = rng.choice([4, 4, 4, 2, 3, 5, 6, 8])
        sizes = []
        left = body
        while left > 0:
            n = min(size, left)
            sizes.append(n)
            left -= n
        if len(sizes) > 1 and sizes[-1] < 2:
            sizes[-2] += sizes[-1]
            sizes.pop()
    rhyming = rng.chance(0.75) and not p.wide_line
    slots = []
    for si, n in enumerate(sizes):
        if spaced and si > 0:
            slots.append(None)
        keys = [None] * n
        if rhyming and n >= 2:
            a, b = rng.choice(RHYME_KEYS), rng.choice(RHYME_KEYS)
            scheme = rng.choice(["abab", "aabb", "xaxa"])
            for i in range(n):
                c = scheme[i % 4]
                keys[i] = a if c == "a" else (b if c == "b" else None)
            if n % 2 == 1:
                keys[-1] = None
        for i in range(n):
            indent = 0
            if style == "alt2" and i % 2 == 1:
                indent = 2
            elif style == "alt9" and i % 2 == 1:
                indent = 9
            elif style == "couplet9" and i % 4 in (1, 3):
                indent = 9 if i % 4 == 1 else 2
            elif style == "step":
                indent = [0, 9, 17, 9][i % 4]
            elif style == "refrain17" and i == n - 1 and n > 2:
                indent = 17
            slots.append([indent, keys[i], i == n - 1])
    closing = CLOSING_INDENTS.get(p.title)
    if closing is not None:
        slots[-1][0] = closing
    free = [i for i, s in enumerate(slots[:-1]) if s is not None]
    rng.shuffle(free)
    for k in free[:SPACE_INDENTED.get(p.title, 0)]:
        slots[k][0] = -rng.randint(1, 2)  # ordinary spaces
    assert len(slots) == body + (spaced - 1 if spaced else 0)
    return slots


def indent_text(n):
    return " " * -n if n < 0 else NBSP * n


def finish(text, indent, cap, end):
    """Indentation, capital letter and end punctuation for one line."""
    if cap:
        text = capitalise(text)
    if text[-1] not in "!?”":
        text += end
    return indent_text(indent) + text


def ends_sentence(line):
    t = line.rstrip("”’")
    return t.endswith((".", "!", "?"))


def fits(line):
    return (len(line) <= LONGEST_LINE and all(c in ALLOWED or c == NBSP for c in line)
            and not line.lstrip(" " + NBSP).startswith("Ű"))


def utf8_len(s):
    return len(s.encode("utf-8"))


def give_up(p, why):
    if os.environ.get("POEMDB_DEBUG"):
        print(f"  retry {p.title!r}: {why}", file=sys.stderr)
    return None


def write_poem(p, attempt):
    rng = Rng(SEED ^ (p.index * 0x9E3779B1) ^ (attempt << 40))
    w = Words(rng, p.themes)
    slots = layout(p, rng)
    head = ["", p.title, ""] if p.special else [p.title, ""]
    forced = FORCED_LINES.get(p.title)
    forced_at = None
    if forced:
        forced_at = [i for i, s in enumerate(slots) if s is not None and s[1] is None][1]
    wide_at = None
    if p.wide_line:
        wide_at = [i for i, s in enumerate(slots) if s is not None][4]

    budget = p.chars - sum(len(h) for h in head) - 2 * (p.lines - 1)
    byte_budget = None
    if p.byte_target:
        byte_budget = p.byte_target - sum(utf8_len(h) for h in head) - 2 * (p.lines - 1)
    lines = []
    cap = True
    used_in_stanza = {}
    line_slots = [i for i, s in enumerate(slots) if s is not None]
    seen = set()
    for pos, slot in enumerate(slots):
        if slot is None:
            lines.append("")
            cap = True
            continue
        indent, key, stanza_end = slot
        left_slots = sum(1 for s in slots[pos:] if s is not None)
        last = pos == line_slots[-1]
        next_to_last = len(line_slots) > 1 and pos == line_slots[-2]
        end = "." if stanza_end else ("," if rng.chance(0.6) else ("." if rng.chance(0.2) else ""))
        if last:
            end = "."

        def candidate(k=key):
            if k is None:
                fam, rh = None, None
            else:
                fam, rh = k
            exclude = used_in_stanza.get(k, ())
            if p.width >= 34 and rng.chance(0.55) or pos == wide_at:
                text, word = long_line(w, fam, rh, exclude)
            else:
                text, word = rhymed(w, fam, rh, exclude)
            return finish(text, indent, cap, end), word

        if pos == forced_at:
            line, word = finish(forced, indent, cap, end), None
        elif pos == wide_at:
            line = None
            for _ in range(200000):
                cand, word = candidate(None)
                if len(cand) == LONGEST_LINE and fits(cand):
                    line = cand
                    break
            if line is None:
                return give_up(p, "no line of full width")
        elif last:
            line = None
            if not 8 <= budget - max(indent, 0) <= 80:
                return give_up(p, "last line would need %d characters" % budget)
            for tries in range(60000):
                cand, word = candidate(key if tries < 20000 else None)
                if len(cand) != budget or not fits(cand) or cand in seen:
                    continue
                if byte_budget is not None and utf8_len(cand) != byte_budget:
                    continue
                line = cand
                break
            if line is None:
                return give_up(p, "no last line of %d characters, %s bytes" % (budget, byte_budget))
        else:
            mean = (budget) / left_slots
            target = mean * (0.75 + 0.5 * rng.below(1000) / 1000)
            if next_to_last:
                # leave the last line a length that is easy to hit exactly
                last_indent = max(slots[line_slots[-1]][0], 0)
                want_last = last_indent + max(14, min(40, p.width - last_indent))
                target = budget - want_last
            best = None
            for _ in range(40 if next_to_last else 24):
                cand, word = candidate()
                if not fits(cand) or cand in seen:
                    continue
                score = abs(len(cand) - target)
                if byte_budget is not None:
                    # keep the share of two-byte characters on course as well
                    excess = (utf8_len(cand) - len(cand)) - (byte_budget - budget) / left_slots
                    score += abs(excess) * 0.7
                if best is None or score < best[0]:
                    best = (score, cand, word)
            if best is None:
                return give_up(p, "no candidate")
            _, line, word = best
        lines.append(line)
        seen.add(line)
        budget -= len(line)
        if byte_budget is not None:
            byte_budget -= utf8_len(line)
        if key is not None and word:
            used_in_stanza.setdefault(key, set()).add(word)
        if stanza_end:
            used_in_stanza = {}
        cap = ends_sentence(line)
        if budget < 0:
            return give_up(p, "over budget")
    text_lines = head + lines
    assert len(text_lines) == p.lines, (p.title, len(text_lines), p.lines)
    return text_lines


def inner_nbsp(poems, plans, rng):
    """Replaces spaces after one-letter words with U+00A0, as typesetters do."""
    spots = []
    for pi, (p, lines) in enumerate(zip(plans, poems)):
        if p.byte_target:
            continue
        for li, line in enumerate(lines):
            if li < 2:
                continue
            body = line.lstrip(" " + NBSP)
            start = len(line) - len(body)
            for ci in range(start + 1, len(line) - 1):
                if line[ci] == " " and line[ci - 1] in "asSeAÓó" and (ci - 1 == start or line[ci - 2] == " "):
                    spots.append((pi, li, ci))
    rng.shuffle(spots)
    chosen = sorted(spots[:INNER_NBSP])
    assert len(chosen) == INNER_NBSP
    for pi, li, ci in chosen:
        line = poems[pi][li]
        poems[pi][li] = line[:ci] + NBSP + line[ci + 1:]


# --------------------------------------------------------------------------
# Order of the rows. SQLite fills table leaves in key order and starts a new
# leaf when the next row does not fit, so the order decides how many pages
# the file takes; we look for an order that gives the size we aim at.

def varint_len(value):
    n = 1
    while value >= 0x80 and n < 9:
        value >>= 7
        n += 1
    return n


def cell_sizes(title, text):
    """(bytes the row takes in its leaf, overflow pages) for one row."""
    usable = PAGE_SIZE
    max_local = usable - 35
    min_local = (usable - 12) * 32 // 255 - 23
    cim, vers = title.encode("utf-8"), text.encode("utf-8")
    types = [len(cim) * 2 + 13, len(vers) * 2 + 13, 0, 0, 0]
    header = sum(varint_len(t) for t in types)
    header += varint_len(header + 1)
    payload = header + len(cim) + len(vers)
    if payload <= max_local:
        local, pointer, overflow = payload, 0, 0
    else:
        k = min_local + (payload - min_local) % (usable - 4)
        local = k if k <= max_local else min_local
        pointer = 4
        overflow = -(-(payload - local) // (usable - 4))
    return varint_len(payload) + 4 + local + pointer + 2, overflow


def page_count(cells):
    """Pages of the file: schema, table root, sequence, leaves, overflow."""
    leaves, used = 1, 0
    for cell, _ in cells:
        if used + cell > PAGE_SIZE - 8:
            leaves += 1
            used = 0
        used += cell
    return 3 + leaves + sum(o for _, o in cells)


def arrange(titles, texts, rng):
    """Row order (the poem that opens with an empty line stays first)."""
    sizes = [cell_sizes(t, v) for t, v in zip(titles, texts)]
    order = list(range(len(texts)))

    def cost(o):
        return abs(page_count([sizes[i] for i in o]) - TARGET_PAGES)

    best = cost(order)
    for _ in range(200000):
        if best == 0:
            break
        i, j = 1 + rng.below(len(order) - 1), 1 + rng.below(len(order) - 1)
        order[i], order[j] = order[j], order[i]
        c = cost(order)
        if c <= best:
            best = c
        else:
            order[i], order[j] = order[j], order[i]
    return order


# --------------------------------------------------------------------------
# Checking and writing.

def figures(texts, titles):
    lines = [ln for t in texts for ln in t.split(CRLF)]
    runs = {}
    inner = 0
    spaced = 0
    for ln in lines:
        body = ln.lstrip(NBSP)
        run = len(ln) - len(body)
        if run:
            runs[run] = runs.get(run, 0) + 1
        inner += body.count(NBSP)
        if ln.startswith(" "):
            spaced += 1
    empties = [sum(1 for ln in t.split(CRLF) if ln == "") for t in texts]
    return {
        "characters": sum(len(t) for t in texts),
        "separators": sum(t.count(CRLF) for t in texts),
        "lines": len(lines),
        "empty lines": sum(empties),
        "poems with one empty line": sum(1 for e in empties if e == 1),
        "shortest text": min(len(t) for t in texts),
        "longest text": max(len(t) for t in texts),
        "shortest text (bytes)": min(utf8_len(t) for t in texts),
        "longest text (bytes)": max(utf8_len(t) for t in texts),
        "fewest lines": min(t.count(CRLF) + 1 for t in texts),
        "most lines": max(t.count(CRLF) + 1 for t in texts),
        "longest line": max(len(ln) for ln in lines),
        "inner U+00A0": inner,
        "lines led by spaces": spaced,
        "indent runs": dict(sorted(runs.items())),
        "shortest title": min(len(t) for t in titles),
        "longest title": max(len(t) for t in titles),
    }


def check(texts, titles):
    f = figures(texts, titles)
    expect = {
        "characters": TOTAL_CHARS, "separators": TOTAL_LINES - ROWS,
        "lines": TOTAL_LINES, "empty lines": TOTAL_EMPTY,
        "poems with one empty line": SINGLE_EMPTY_POEMS,
        "shortest text": MIN_CHARS, "longest text": MAX_CHARS,
        "shortest text (bytes)": MIN_BYTES, "longest text (bytes)": MAX_BYTES,
        "fewest lines": MIN_LINES, "most lines": MAX_LINES,
        "longest line": LONGEST_LINE, "inner U+00A0": INNER_NBSP,
        "lines led by spaces": LEADING_SPACE_LINES,
        "shortest title": 2, "longest title": 36,
    }
    for k, v in expect.items():
        assert f[k] == v, f"{k}: {f[k]} != {v}"
    runs = f["indent runs"]
    top = sorted(runs, key=lambda r: (-runs[r], r))[:3]
    assert sorted(top) == [2, 9, 17], runs
    assert min(runs) == 1 and max(runs) == 44, runs
    everything = "".join(texts) + "".join(titles)
    assert set(everything) <= ALLOWED | {NBSP, "\r", "\n"}
    assert NBSP not in "".join(titles)
    assert all(c in everything for c in REQUIRED)
    for t in texts:
        assert "\r" not in t.replace(CRLF, "") and "\n" not in t.replace(CRLF, "")
        assert ord(t[-1]) > 0x20
    for t in titles:
        assert t == t.strip() and ord(t[-1]) > 0x20 and ord(t[0]) > 0x20
    return f


def write_database(path, titles, texts):
    tmp = path + ".tmp"
    for name in (tmp, tmp + "-journal"):
        if os.path.exists(name):
            os.remove(name)
    con = sqlite3.connect(tmp, isolation_level=None)
    con.execute(f"PRAGMA page_size = {PAGE_SIZE}")
    con.execute("PRAGMA auto_vacuum = NONE")
    con.execute("PRAGMA encoding = 'UTF-8'")
    con.execute("PRAGMA journal_mode = DELETE")
    con.execute(SCHEMA)
    con.execute("BEGIN")
    for i, (title, text) in enumerate(zip(titles, texts)):
        con.execute("INSERT INTO tbl_Data (CIM, VERS, DATUM, FOTO, AZ) VALUES (?, ?, NULL, NULL, ?)",
                    (title, text, FIRST_KEY + i))
    con.execute("COMMIT")
    con.execute("VACUUM")
    con.close()

    with open(tmp, "r+b") as f:
        for offset, value in HEADER_PATCH:
            f.seek(offset)
            f.write(struct.pack(">I", value))
    os.replace(tmp, path)


def verify_database(path):
    con = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    assert con.execute("PRAGMA integrity_check").fetchone()[0] == "ok"
    assert con.execute("PRAGMA freelist_count").fetchone()[0] == 0
    pages = con.execute("PRAGMA page_count").fetchone()[0]
    master = con.execute("SELECT type, name, tbl_name, rootpage, sql FROM sqlite_master ORDER BY rowid").fetchall()
    assert master == [("table", "tbl_Data", "tbl_Data", 2, SCHEMA),
                      ("table", "sqlite_sequence", "sqlite_sequence", 3,
                       "CREATE TABLE sqlite_sequence(name,seq)")], master
    assert con.execute("SELECT * FROM sqlite_sequence").fetchall() == [("tbl_Data", FIRST_KEY + ROWS - 1)]
    con.close()
    with open(path, "rb") as f:
        header = f.read(100)
    assert header[18] == 1 and header[19] == 1
    assert os.path.getsize(path) == pages * PAGE_SIZE
    return pages


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "Tornevi.db")

    assert len({t for t, _ in TITLES}) == len(TITLES) == ROWS - 1
    rng = Rng(SEED)
    plans = make_plans(rng)
    poems = []
    for p in plans:
        for attempt in range(400):
            lines = write_poem(p, attempt)
            if lines is not None:
                break
        else:
            raise SystemExit(f"could not fit poem {p.index} {p.title!r}")
        poems.append(lines)
    inner_nbsp(poems, plans, rng)

    titles = [p.title for p in plans]
    texts = [CRLF.join(lines) for lines in poems]
    order = arrange(titles, texts, rng)
    titles = [titles[i] for i in order]
    texts = [texts[i] for i in order]
    f = check(texts, titles)
    write_database(out, titles, texts)
    pages = verify_database(out)
    assert pages == TARGET_PAGES, f"{pages} pages"

    print(f"wrote {out}: {pages} pages, {pages * PAGE_SIZE} bytes")
    for k, v in f.items():
        print(f"  {k}: {v}")


if __name__ == "__main__":
    main()
