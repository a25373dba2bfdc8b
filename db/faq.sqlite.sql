-- The FAQ table for the embedded SQLite database. Column order matters: the insert supplies
-- its values by position.
PRAGMA journal_mode = WAL;
CREATE TABLE faq (
    rbr      INTEGER NOT NULL PRIMARY KEY, -- entry number, 1 to 32767
    adresa   TEXT,                         -- keywords
    pitanje  TEXT,                         -- question
    datum    TEXT,                         -- creation date, mm/dd/yyyy
    proizvod TEXT,                         -- product
    lot      TEXT,
    odgovor  TEXT                          -- answer
);
