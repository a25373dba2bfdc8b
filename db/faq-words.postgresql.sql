-- The word search of the shared PostgreSQL database: every word of every entry with its place
-- (keywords and question, product and LOT, or answer), as written in small letters and, where
-- that differs, without diacritics. A word is a run of letters and digits, as the embedded
-- database's index splits texts. Triggers keep the words for every change, whatever program
-- makes it; they write as the owner of their function, so mirt only reads the words.
-- Safe to run again: the functions and triggers are made anew, and the words are read afresh
-- from faq (a database made before gets them this way; the trigram index of earlier versions is
-- dropped). No row of faq is touched. Run by the owner of faq or a superuser, in the database
-- that holds it, as one transaction:
--   sudo -u postgres psql -d faq -v ON_ERROR_STOP=1 -1 -f /usr/share/tarvo/faq-words.postgresql.sql
-- A word as written: in small letters, composed (NFC). Without diacritics: also every mark
-- that decomposition separates from its letter taken away ("š" is "s"; "đ", a letter of its own,
-- stays), as the program compares words. A database in another encoding than UTF8 only lowers.
DO $$
BEGIN
    IF current_setting('server_encoding') = 'UTF8' THEN
        CREATE OR REPLACE FUNCTION public.faq_words_written(words text) RETURNS text
            LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
            AS $f$ SELECT normalize(lower(words), NFC) $f$;
        CREATE OR REPLACE FUNCTION public.faq_words_fold(words text) RETURNS text
            LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
            AS $f$ SELECT normalize(regexp_replace(normalize(lower(words), NFD),
                          '[\u0300-\u036f\u1ab0-\u1aff\u1dc0-\u1dff\u20d0-\u20ff\ufe20-\ufe2f]', '', 'g'), NFC) $f$;
    ELSE
        CREATE OR REPLACE FUNCTION public.faq_words_written(words text) RETURNS text
            LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS $f$ SELECT lower(words) $f$;
        CREATE OR REPLACE FUNCTION public.faq_words_fold(words text) RETURNS text
            LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS $f$ SELECT lower(words) $f$;
    END IF;
END
$$;

-- place: 0 keywords and question, 1 product and LOT, 2 answer, each with the word as written
-- (small letters); 3, 4, 5 the same places for a word as it is without diacritics, where that
-- differs from every word written there. A search without diacritics reads both.
-- The words compare byte by byte, so that the words that begin with a typed word follow it.
CREATE TABLE IF NOT EXISTS faq_word_places (
    place smallint NOT NULL CHECK (place BETWEEN 0 AND 5),
    word  text COLLATE "C" NOT NULL,
    rbr   integer NOT NULL,
    PRIMARY KEY (place, word, rbr)
);
CREATE INDEX IF NOT EXISTS faq_word_places_entry ON faq_word_places (rbr);

-- The distinct words of two texts, as written and without diacritics. A word too long for an
-- index (2 KB) is left out rather than refusing the entry.
CREATE OR REPLACE FUNCTION faq_words_of(first text, second text, at smallint)
    RETURNS TABLE (place smallint, word text)
    LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$
    WITH joined(text) AS (SELECT coalesce(first, '') || ' ' || coalesce(second, '')),
    written AS (SELECT DISTINCT w FROM joined, regexp_split_to_table(faq_words_written(joined.text), '[^[:alnum:]]+') AS w
                WHERE w <> '' AND octet_length(w) < 2048),
    folded AS (SELECT DISTINCT w FROM joined, regexp_split_to_table(faq_words_fold(joined.text), '[^[:alnum:]]+') AS w
               WHERE w <> '' AND octet_length(w) < 2048)
    SELECT at, w FROM written
    UNION ALL
    SELECT (at + 3)::smallint, w FROM folded WHERE w NOT IN (SELECT w FROM written)
$$;
CREATE OR REPLACE FUNCTION faq_word_places_of(adresa text, pitanje text, proizvod text, lot text, odgovor text)
    RETURNS TABLE (place smallint, word text)
    LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$
    SELECT * FROM faq_words_of(adresa, pitanje, 0::smallint)
    UNION ALL SELECT * FROM faq_words_of(proizvod, lot, 1::smallint)
    UNION ALL SELECT * FROM faq_words_of(odgovor, '', 2::smallint)
$$;

-- An update that leaves the five texts as they were keeps the words.
CREATE OR REPLACE FUNCTION faq_keep_words() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = public, pg_temp AS $$
BEGIN
    IF TG_OP = 'UPDATE'
       AND ROW(OLD.rbr, OLD.adresa::text, OLD.pitanje::text, OLD.proizvod::text, OLD.lot::text, OLD.odgovor::text)
           IS NOT DISTINCT FROM
           ROW(NEW.rbr, NEW.adresa::text, NEW.pitanje::text, NEW.proizvod::text, NEW.lot::text, NEW.odgovor::text) THEN
        RETURN NULL;
    END IF;
    IF TG_OP IN ('UPDATE', 'DELETE') THEN
        DELETE FROM faq_word_places WHERE rbr = OLD.rbr;
    END IF;
    IF TG_OP IN ('UPDATE', 'INSERT') THEN
        INSERT INTO faq_word_places (place, word, rbr)
        SELECT p.place, p.word, NEW.rbr
          FROM faq_word_places_of(NEW.adresa::text, NEW.pitanje::text, NEW.proizvod::text, NEW.lot::text, NEW.odgovor::text) p;
    END IF;
    RETURN NULL;
END
$$;
CREATE OR REPLACE FUNCTION faq_keep_words_truncated() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = public, pg_temp AS $$
BEGIN
    TRUNCATE faq_word_places;
    RETURN NULL;
END
$$;
CREATE OR REPLACE TRIGGER faq_keep_words AFTER INSERT OR UPDATE OR DELETE ON faq FOR EACH ROW
EXECUTE FUNCTION faq_keep_words();
CREATE OR REPLACE TRIGGER faq_keep_words_truncated AFTER TRUNCATE ON faq FOR EACH STATEMENT
EXECUTE FUNCTION faq_keep_words_truncated();

DROP INDEX IF EXISTS faq_words_trigrams;
DROP FUNCTION IF EXISTS faq_words_text(text, text, text, text, text);
TRUNCATE faq_word_places;
INSERT INTO faq_word_places (place, word, rbr)
SELECT p.place, p.word, f.rbr
  FROM faq f, faq_word_places_of(f.adresa::text, f.pitanje::text, f.proizvod::text, f.lot::text, f.odgovor::text) p;
ANALYZE faq_word_places;

-- Nobody but the owner changes the words or calls the triggers' functions; mirt reads the words
-- (unless mirt owns the table, as in a database set up by hand).
REVOKE ALL ON FUNCTION faq_keep_words(), faq_keep_words_truncated() FROM PUBLIC;
REVOKE ALL ON TABLE faq_word_places FROM PUBLIC;
DO $$
DECLARE
    program_role oid := (SELECT oid FROM pg_roles WHERE rolname = 'mirt');
BEGIN
    IF program_role IS NOT NULL AND program_role <> (SELECT relowner FROM pg_class WHERE oid = 'faq_word_places'::regclass) THEN
        REVOKE ALL ON TABLE faq_word_places FROM mirt;
        GRANT SELECT ON TABLE faq_word_places TO mirt;
    END IF;
END
$$;
