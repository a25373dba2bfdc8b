-- The word search of the embedded SQLite database: an FTS5 index of the five texts of every
-- entry, kept by triggers on faq for every change, whatever program makes it. Words are
-- compared with case and diacritics ignored; indexes of the first two and three letters make
-- short beginnings fast. A second index, faq_words_exact, keeps the diacritics, so that the
-- exact spelling can rank above the one without them.
-- Safe to run again: the triggers are made anew and the index is rebuilt from faq (a database
-- made before the word search gets it this way). No row of faq is touched. Run it as one
-- transaction (tarvo-setup-dsn does):
--   (echo "BEGIN;"; cat /usr/share/tarvo/faq-words.sqlite.sql; echo "COMMIT;") | sqlite3 -bail ~/.local/share/tarvo/faq.db
-- A trigger's body runs from its line "BEGIN" to its line "END;".
CREATE VIRTUAL TABLE IF NOT EXISTS faq_words USING fts5 (
    adresa, pitanje, proizvod, lot, odgovor,
    content = 'faq', content_rowid = 'rbr',
    tokenize = 'unicode61 remove_diacritics 2', prefix = '2 3'
);
CREATE VIRTUAL TABLE IF NOT EXISTS faq_words_exact USING fts5 (
    adresa, pitanje, proizvod, lot, odgovor,
    content = 'faq', content_rowid = 'rbr',
    tokenize = 'unicode61 remove_diacritics 0', prefix = '2 3'
);
DROP TRIGGER IF EXISTS faq_words_insert;
DROP TRIGGER IF EXISTS faq_words_update;
DROP TRIGGER IF EXISTS faq_words_delete;
CREATE TRIGGER faq_words_insert AFTER INSERT ON faq
BEGIN
    INSERT INTO faq_words (rowid, adresa, pitanje, proizvod, lot, odgovor)
    VALUES (new.rbr, new.adresa, new.pitanje, new.proizvod, new.lot, new.odgovor);
    INSERT INTO faq_words_exact (rowid, adresa, pitanje, proizvod, lot, odgovor)
    VALUES (new.rbr, new.adresa, new.pitanje, new.proizvod, new.lot, new.odgovor);
END;
CREATE TRIGGER faq_words_update AFTER UPDATE ON faq
BEGIN
    INSERT INTO faq_words (faq_words, rowid, adresa, pitanje, proizvod, lot, odgovor)
    VALUES ('delete', old.rbr, old.adresa, old.pitanje, old.proizvod, old.lot, old.odgovor);
    INSERT INTO faq_words_exact (faq_words_exact, rowid, adresa, pitanje, proizvod, lot, odgovor)
    VALUES ('delete', old.rbr, old.adresa, old.pitanje, old.proizvod, old.lot, old.odgovor);
    INSERT INTO faq_words (rowid, adresa, pitanje, proizvod, lot, odgovor)
    VALUES (new.rbr, new.adresa, new.pitanje, new.proizvod, new.lot, new.odgovor);
    INSERT INTO faq_words_exact (rowid, adresa, pitanje, proizvod, lot, odgovor)
    VALUES (new.rbr, new.adresa, new.pitanje, new.proizvod, new.lot, new.odgovor);
END;
CREATE TRIGGER faq_words_delete AFTER DELETE ON faq
BEGIN
    INSERT INTO faq_words (faq_words, rowid, adresa, pitanje, proizvod, lot, odgovor)
    VALUES ('delete', old.rbr, old.adresa, old.pitanje, old.proizvod, old.lot, old.odgovor);
    INSERT INTO faq_words_exact (faq_words_exact, rowid, adresa, pitanje, proizvod, lot, odgovor)
    VALUES ('delete', old.rbr, old.adresa, old.pitanje, old.proizvod, old.lot, old.odgovor);
END;
INSERT INTO faq_words (faq_words) VALUES ('rebuild');
INSERT INTO faq_words_exact (faq_words_exact) VALUES ('rebuild');
