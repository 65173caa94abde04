-- The lookup database Static.mdb: the codes the pickers offer.
CREATE TABLE Grades (Grade TEXT, OrderNum INTEGER);
CREATE TABLE Length (Distance TEXT, OrderNum INTEGER);
CREATE TABLE Style (RunningStyle TEXT);

INSERT INTO Grades (Grade, OrderNum) VALUES
  ('AA', 1), ('A', 2), ('B', 3), ('C', 4), ('D', 5), ('E', 6), ('J', 7), ('M', 8), ('L', 9),
  ('TAA', 10), ('TA', 11), ('TB', 12), ('TC', 13), ('TD', 14), ('TE', 15), ('TJ', 16),
  ('TM', 17), ('SAA', 18), ('SA', 19), ('SB', 20), ('SC', 21), ('SD', 22), ('SE', 23),
  ('SJ', 24), ('SM', 25), ('AAT', 26), ('AT', 27), ('BT', 28), ('CT', 29), ('DT', 30),
  ('ET', 31), ('JT', 32), ('MT', 33), ('AAS', 34), ('AS', 35), ('BS', 36), ('CS', 37),
  ('DS', 38), ('ES', 39), ('JS', 40), ('MS', 41), ('T', 42), ('S', 43);

INSERT INTO Length (Distance, OrderNum) VALUES ('S', 1), ('L', 2), ('R', 3);

INSERT INTO Style (RunningStyle) VALUES ('M'), ('R'), ('W');
