-- Keeps NULL out of the searched texts of faq: a NOT search ("... AND NOT (lot LIKE '%x%' OR
-- ...)") finds no entry whose text is NULL, since NULL LIKE anything is neither true nor false.
-- Each searched column that still takes NULL gets DEFAULT '' and NOT NULL; its NULL values
-- (rows put in by other programs) become empty texts first, which is what the program shows
-- for them anyway. That conversion is no change of an entry: the history's update trigger is
-- off for it, so it makes no version (the whole run is one transaction holding the table, so no
-- other session's change goes unrecorded meanwhile). The versions in faq_history get empty texts
-- for NULL ones as well, so that a restored version fits the table. Safe to run again: a column that is
-- already NOT NULL is left alone. A program that writes NULL into these columns is refused from
-- then on; one that leaves them out gets ''.
-- Run by the owner of the table or a superuser, in the database that holds it, as one transaction:
--   sudo -u postgres psql -d faq -v ON_ERROR_STOP=1 -1 -f /usr/share/tarvo/faq-empty-texts.postgresql.sql
DO $$
DECLARE
    col name;
    emptied bigint;
    keeps_versions boolean;
BEGIN
    SELECT count(*) = 1 INTO keeps_versions FROM pg_trigger
     WHERE tgrelid = 'faq'::regclass AND tgname = 'faq_keep_updated' AND tgenabled <> 'D';
    IF keeps_versions THEN
        ALTER TABLE faq DISABLE TRIGGER faq_keep_updated;
    END IF;
    FOR col IN
        SELECT a.attname FROM pg_attribute a
         WHERE a.attrelid = 'faq'::regclass AND NOT a.attisdropped AND NOT a.attnotnull
           AND a.attname IN ('adresa', 'pitanje', 'proizvod', 'lot', 'odgovor')
         ORDER BY a.attnum
    LOOP
        EXECUTE format('UPDATE faq SET %1$I = %2$L WHERE %1$I IS NULL', col, '');
        GET DIAGNOSTICS emptied = ROW_COUNT;
        EXECUTE format('ALTER TABLE faq ALTER COLUMN %I SET DEFAULT %L, ALTER COLUMN %I SET NOT NULL', col, '', col);
        RAISE NOTICE 'faq.%: % NULL values made empty texts, NULL refused from now on', col, emptied;
    END LOOP;
    IF keeps_versions THEN
        ALTER TABLE faq ENABLE TRIGGER faq_keep_updated;
    END IF;
    -- Versions kept before have their NULL texts made empty too, so that restoring one fits.
    IF to_regclass('faq_history') IS NOT NULL THEN
        UPDATE faq_history SET adresa = coalesce(adresa, ''), pitanje = coalesce(pitanje, ''),
               proizvod = coalesce(proizvod, ''), lot = coalesce(lot, ''), odgovor = coalesce(odgovor, '')
         WHERE num_nulls(adresa, pitanje, proizvod, lot, odgovor) > 0;
        GET DIAGNOSTICS emptied = ROW_COUNT;
        IF emptied > 0 THEN
            RAISE NOTICE 'faq_history: NULL texts made empty in % versions', emptied;
        END IF;
    END IF;
END
$$;
