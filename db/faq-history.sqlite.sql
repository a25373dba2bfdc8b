-- Every version of the FAQ entries, for the embedded SQLite database: before a row of faq is
-- changed or deleted, triggers copy it into faq_history, whatever program changes it (tarvo, the
-- sqlite3 command line, anything else). A deleted entry that is restored is noted in
-- faq_restored, so that it no longer counts as deleted.
-- Safe to run again on a database that has them already: nothing is dropped but the triggers,
-- which are made anew; no row of faq, faq_history or faq_restored is touched. Run it as one
-- transaction (tarvo-setup-dsn does):
--   (echo "BEGIN;"; cat /usr/share/tarvo/faq-history.sqlite.sql; echo "COMMIT;") | sqlite3 -bail ~/.local/share/tarvo/faq.db
-- A trigger's body runs from its line "BEGIN" to its line "END;".
CREATE TABLE IF NOT EXISTS faq_history (
    version    INTEGER PRIMARY KEY AUTOINCREMENT, -- in the order the changes were made
    rbr        INTEGER NOT NULL,                  -- the seven columns of faq, as they were
    adresa     TEXT,
    pitanje    TEXT,
    datum      TEXT,
    proizvod   TEXT,
    lot        TEXT,
    odgovor    TEXT,
    changed_at TEXT NOT NULL DEFAULT (strftime('%Y-%m-%d %H:%M:%f', 'now')), -- UTC
    change     TEXT NOT NULL CHECK (change IN ('update', 'delete')),
    changed_by TEXT NOT NULL DEFAULT ''           -- SQLite cannot tell who
);
CREATE INDEX IF NOT EXISTS faq_history_entry ON faq_history (rbr, version);
CREATE INDEX IF NOT EXISTS faq_history_deleted ON faq_history (version) WHERE change = 'delete';
CREATE TABLE IF NOT EXISTS faq_restored (
    version     INTEGER NOT NULL PRIMARY KEY REFERENCES faq_history (version), -- the deletion undone
    rbr         INTEGER NOT NULL,                 -- the number the entry came back under
    restored_at TEXT NOT NULL DEFAULT (strftime('%Y-%m-%d %H:%M:%f', 'now')),
    restored_by TEXT NOT NULL DEFAULT ''
);
DROP TRIGGER IF EXISTS faq_keep_updated;
DROP TRIGGER IF EXISTS faq_keep_deleted;
-- An update that leaves every value as it was (a save without a change) makes no version.
CREATE TRIGGER faq_keep_updated AFTER UPDATE ON faq FOR EACH ROW
WHEN OLD.rbr IS NOT NEW.rbr OR OLD.adresa IS NOT NEW.adresa OR OLD.pitanje IS NOT NEW.pitanje
  OR OLD.datum IS NOT NEW.datum OR OLD.proizvod IS NOT NEW.proizvod OR OLD.lot IS NOT NEW.lot
  OR OLD.odgovor IS NOT NEW.odgovor
BEGIN
    INSERT INTO faq_history (rbr, adresa, pitanje, datum, proizvod, lot, odgovor, change)
    VALUES (OLD.rbr, OLD.adresa, OLD.pitanje, OLD.datum, OLD.proizvod, OLD.lot, OLD.odgovor, 'update');
END;
CREATE TRIGGER faq_keep_deleted AFTER DELETE ON faq FOR EACH ROW
BEGIN
    INSERT INTO faq_history (rbr, adresa, pitanje, datum, proizvod, lot, odgovor, change)
    VALUES (OLD.rbr, OLD.adresa, OLD.pitanje, OLD.datum, OLD.proizvod, OLD.lot, OLD.odgovor, 'delete');
END;
