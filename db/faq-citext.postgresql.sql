-- Converts the searched text columns of an existing table faq to citext, so that a search
-- ignores the case of every letter. Safe to run again: a column that is citext already is left
-- alone. Every value stays exactly as it is (text and varchar turn into citext without a
-- conversion of the values); a column of another type is reported and left alone.
-- Run by the owner of the table or a superuser, in the database that holds it:
--   sudo -u postgres psql -d faq -v ON_ERROR_STOP=1 -f /usr/share/tarvo/faq-citext.postgresql.sql
CREATE EXTENSION IF NOT EXISTS citext;
DO $$
DECLARE
    col record;
BEGIN
    FOR col IN
        SELECT a.attname AS name, format_type(a.atttypid, a.atttypmod) AS type,
               a.atttypid IN ('text'::regtype, 'varchar'::regtype) AS convertible
          FROM pg_attribute a
         WHERE a.attrelid = 'faq'::regclass AND NOT a.attisdropped
           AND a.attname IN ('adresa', 'pitanje', 'proizvod', 'lot', 'odgovor')
           AND a.atttypid <> 'citext'::regtype
         ORDER BY a.attnum
    LOOP
        IF col.convertible THEN
            EXECUTE format('ALTER TABLE faq ALTER COLUMN %I TYPE citext', col.name);
            RAISE NOTICE 'faq.%: % converted to citext', col.name, col.type;
        ELSE
            RAISE WARNING 'faq.%: left as %, searches in it keep the case of letters', col.name, col.type;
        END IF;
    END LOOP;
END
$$;
