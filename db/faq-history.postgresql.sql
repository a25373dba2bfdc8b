-- Every version of the FAQ entries, for a shared PostgreSQL database: when a row of faq is
-- changed, deleted or emptied by TRUNCATE, triggers copy the row as it was into faq_history,
-- whatever program changes it (tarvo, psql, anything else), with the time and, where the
-- program says who it is, the desktop user (tarvo sets tarvo.desktop_user when it connects). A deleted
-- entry that is restored is noted in faq_restored, so that it no longer counts as deleted.
--
-- The triggers write as the owner of their function, so the program's role mirt may read the
-- history and note a restore, but cannot change or remove a version.
--
-- Safe to run again: the tables are made only when missing, the functions and triggers anew; no
-- row of faq, faq_history or faq_restored is touched. Run by the owner of faq or a superuser,
-- in the database that holds it, as one transaction:
--   sudo -u postgres psql -d faq -v ON_ERROR_STOP=1 -1 -f /usr/share/tarvo/faq-history.postgresql.sql
CREATE TABLE IF NOT EXISTS faq_history (
    version    bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, -- in the order the changes were made
    rbr        integer NOT NULL,                                -- the seven columns of faq, as they were
    adresa     text,
    pitanje    text,
    datum      text,
    proizvod   text,
    lot        text,
    odgovor    text,
    changed_at timestamptz NOT NULL DEFAULT clock_timestamp(),
    change     text NOT NULL CHECK (change IN ('update', 'delete')),
    changed_by text NOT NULL DEFAULT ''                         -- the desktop user, where known
);
CREATE INDEX IF NOT EXISTS faq_history_entry ON faq_history (rbr, version);
CREATE INDEX IF NOT EXISTS faq_history_deleted ON faq_history (version) WHERE change = 'delete';
CREATE TABLE IF NOT EXISTS faq_restored (
    version     bigint NOT NULL PRIMARY KEY REFERENCES faq_history (version), -- the deletion undone
    rbr         integer NOT NULL,                                           -- the number it came back under
    restored_at timestamptz NOT NULL DEFAULT clock_timestamp(),
    restored_by text NOT NULL DEFAULT coalesce(current_setting('tarvo.desktop_user', true), '')
);

-- An update that leaves every value as it was (a save without a change) makes no version. The
-- texts compare as text: citext would take a change of case for no change. (The test is here
-- and not in the trigger's WHEN, which would keep the columns' type from being changed.)
CREATE OR REPLACE FUNCTION faq_keep_version() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = public, pg_temp AS $$
BEGIN
    IF TG_OP = 'UPDATE'
       AND ROW(OLD.rbr, OLD.adresa::text, OLD.pitanje::text, OLD.datum::text, OLD.proizvod::text, OLD.lot::text, OLD.odgovor::text)
           IS NOT DISTINCT FROM
           ROW(NEW.rbr, NEW.adresa::text, NEW.pitanje::text, NEW.datum::text, NEW.proizvod::text, NEW.lot::text, NEW.odgovor::text) THEN
        RETURN NULL;
    END IF;
    INSERT INTO faq_history (rbr, adresa, pitanje, datum, proizvod, lot, odgovor, change, changed_by)
    VALUES (OLD.rbr, OLD.adresa, OLD.pitanje, OLD.datum, OLD.proizvod, OLD.lot, OLD.odgovor,
            lower(TG_OP), coalesce(current_setting('tarvo.desktop_user', true), ''));
    RETURN NULL;
END
$$;
CREATE OR REPLACE FUNCTION faq_keep_truncated() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = public, pg_temp AS $$
BEGIN
    INSERT INTO faq_history (rbr, adresa, pitanje, datum, proizvod, lot, odgovor, change, changed_by)
    SELECT rbr, adresa, pitanje, datum, proizvod, lot, odgovor, 'delete', coalesce(current_setting('tarvo.desktop_user', true), '')
      FROM faq ORDER BY rbr;
    RETURN NULL;
END
$$;
CREATE OR REPLACE TRIGGER faq_keep_updated AFTER UPDATE ON faq FOR EACH ROW
EXECUTE FUNCTION faq_keep_version();
CREATE OR REPLACE TRIGGER faq_keep_deleted AFTER DELETE ON faq FOR EACH ROW
EXECUTE FUNCTION faq_keep_version();
CREATE OR REPLACE TRIGGER faq_keep_truncated BEFORE TRUNCATE ON faq FOR EACH STATEMENT
EXECUTE FUNCTION faq_keep_truncated();

-- Nobody but the owner calls the functions or changes the history; mirt reads it and notes
-- restores (unless mirt owns the tables, as in a database set up by hand).
REVOKE ALL ON FUNCTION faq_keep_version(), faq_keep_truncated() FROM PUBLIC;
REVOKE ALL ON TABLE faq_history, faq_restored FROM PUBLIC;
DO $$
DECLARE
    program_role oid := (SELECT oid FROM pg_roles WHERE rolname = 'mirt');
BEGIN
    IF program_role IS NOT NULL AND program_role <> (SELECT relowner FROM pg_class WHERE oid = 'faq_history'::regclass) THEN
        REVOKE ALL ON TABLE faq_history, faq_restored FROM mirt;
        GRANT SELECT ON TABLE faq_history TO mirt;
        GRANT SELECT, INSERT ON TABLE faq_restored TO mirt;
    END IF;
END
$$;
