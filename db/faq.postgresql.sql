-- The FAQ table for a shared PostgreSQL database. Column order matters: the insert supplies
-- its values by position. The searched texts are citext (case-insensitive text, an extension
-- that comes with PostgreSQL), so that a search ignores the case of every letter, as it does on
-- SQLite; citext keeps each text exactly as it was written. A table made earlier with text
-- columns is converted by faq-citext.postgresql.sql. The searched texts are never NULL, so that a
-- NOT search finds every entry whose text lacks the word (faq-empty-texts.postgresql.sql brings
-- an earlier table there).
CREATE EXTENSION IF NOT EXISTS citext;
CREATE TABLE faq (
    rbr      integer NOT NULL PRIMARY KEY, -- entry number, 1 to 32767
    adresa   citext NOT NULL DEFAULT '',   -- keywords
    pitanje  citext NOT NULL DEFAULT '',   -- question
    datum    varchar(10),                  -- creation date, mm/dd/yyyy
    proizvod citext NOT NULL DEFAULT '',   -- product
    lot      citext NOT NULL DEFAULT '',
    odgovor  citext NOT NULL DEFAULT ''    -- answer
);
